# Writes the page's files into one header of string constants:
#   cmake -DOUT=page_files.h -DDIR=web/page -P embed_page.cmake
# index.html takes page.css and page.js in the places marked for them, so
# the program serves one document and nothing else.
file(READ ${DIR}/index.html html)
file(READ ${DIR}/page.css css)
file(READ ${DIR}/page.js js)
string(REPLACE "/*CORVANE_CSS*/" "${css}" html "${html}")
string(REPLACE "/*CORVANE_JS*/" "${js}" html "${html}")
# Raw string pieces of at most 8000 characters each, for every compiler.
string(LENGTH "${html}" length)
set(body "")
set(at 0)
while(at LESS length)
  string(SUBSTRING "${html}" ${at} 8000 piece)
  string(APPEND body "R\"corvane_page(${piece})corvane_page\"\n")
  math(EXPR at "${at} + 8000")
endwhile()
file(WRITE ${OUT}.tmp "// Generated from web/page/ by web/embed_page.cmake; do not edit.\n#pragma once\n\nnamespace corvane::web {\n\ninline constexpr char kPageTemplate[] =\n${body};\n\n}  // namespace corvane::web\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
