# Writes the manual for Windows: each section of the first file (in
# Windows words) takes the place of the manual's section of the same title,
# and every line ends in CR LF, as Windows editors expect. A section starts
# at a title underlined with dashes; the blank lines before the next title
# stay the manual's.
# Usage: awk -f readme.awk readme-sections.txt readme.txt
function is_title(lines, i) {
  return lines[i + 1] ~ /^-+$/ && length(lines[i + 1]) == length(lines[i])
}
function blanks_to_next_title(i) {
  for (; i <= m && manual[i] == ""; i++) {}
  return i > m || is_title(manual, i)
}
FNR == NR { windows[++w] = $0; next }
{ manual[++m] = $0 }
END {
  for (i = 1; i <= w; i++) {
    if (is_title(windows, i)) title = windows[i]
    if (title != "") section[title] = section[title] windows[i] "\r\n"
  }
  for (title in section) sub(/(\r\n)+$/, "\r\n", section[title])
  for (i = 1; i <= m; i++) {
    if (is_title(manual, i)) {
      replacing = manual[i] in section
      if (replacing) printf "%s", section[manual[i]]
    }
    if (!replacing || (manual[i] == "" && blanks_to_next_title(i))) printf "%s\r\n", manual[i]
  }
}
