# Writes the manual for another platform: each section of the first file
# (in that platform's words) takes the place of the manual's section of the
# same title. A section starts at a title underlined with dashes; the blank
# lines before the next title stay the manual's. Lines end in CR LF with
# -v line_end=crlf, as Windows editors expect; in LF otherwise.
# Usage: awk [-v line_end=crlf] -f readme.awk readme-sections.txt readme.txt
function is_title(lines, i) {
  return lines[i + 1] ~ /^-+$/ && length(lines[i + 1]) == length(lines[i])
}
function blanks_to_next_title(i) {
  for (; i <= m && manual[i] == ""; i++) {}
  return i > m || is_title(manual, i)
}
BEGIN { eol = line_end == "crlf" ? "\r\n" : "\n" }
FNR == NR { platform[++w] = $0; next }
{ manual[++m] = $0 }
END {
  for (i = 1; i <= w; i++) {
    if (is_title(platform, i)) title = platform[i]
    if (title != "") section[title] = section[title] platform[i] eol
  }
  for (title in section) sub("(" eol ")+$", eol, section[title])
  for (i = 1; i <= m; i++) {
    if (is_title(manual, i)) {
      replacing = manual[i] in section
      if (replacing) printf "%s", section[manual[i]]
    }
    if (!replacing || (manual[i] == "" && blanks_to_next_title(i))) printf "%s%s", manual[i], eol
  }
}
