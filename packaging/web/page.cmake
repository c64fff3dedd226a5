# Writes the page and its offline copy's worker for one build of the
# program: the page learns how many bytes tolvane.wasm has, to show the
# download's progress; the worker gets a version that changes with any
# byte of any file the page needs.
# Usage: cmake -DTEMPLATES=DIR -DOUT=DIR -DPROJECT_VERSION=V
#   -DPAGE_THEME_COLOUR=#RRGGBB -DPAGE_BACKGROUND=#RRGGBB
#   -DFILES="name=path;..." -P page.cmake
# FILES: every file the page needs besides itself, as its name in the
# folder and where the build has it.
foreach(entry IN LISTS FILES)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 path)
  set(file_${name} "${path}")
  list(APPEND names "${name}")
endforeach()

file(SIZE "${file_tolvane.wasm}" PROGRAM_BYTES)
configure_file(${TEMPLATES}/index.html.in ${OUT}/index.html @ONLY)
set(file_index.html ${OUT}/index.html)
list(APPEND names index.html)

list(SORT names)
set(digests "")
foreach(name IN LISTS names)
  file(SHA256 "${file_${name}}" digest)
  string(APPEND digests "${name} ${digest}\n")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING "${digest}" 0 16 digest)
set(PAGE_VERSION "${PROJECT_VERSION}-${digest}")
list(TRANSFORM names PREPEND "\"")
list(TRANSFORM names APPEND "\"")
list(JOIN names ", " PAGE_FILES)
set(PAGE_FILES "\"./\", ${PAGE_FILES}")
configure_file(${TEMPLATES}/service-worker.js.in ${OUT}/service-worker.js @ONLY)
