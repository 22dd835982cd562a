# Turns the Traditional Chinese .ts file into a plain C++ table, so that the
# programs without Qt (the Windows window, kvrcfg) read no XML at run time.
# Run at build time on the build machine:
#   cmake -DTS=<file.ts> -DOUT=<TextTable.cpp> -P TextTable.cmake
# Each finished <message> of a <context> becomes one row {context, English,
# Chinese}; unfinished, vanished and obsolete ones are left out, so the
# English text is shown for them.

cmake_minimum_required(VERSION 3.25)

function(kvr_unescape var text)
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(kvr_literal var text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\r" "" text "${text}")
  set(${var} "\"${text}\"" PARENT_SCOPE)
endfunction()

# The text between <tag...> and </tag> at the start of `rest`; the rest after it.
function(kvr_element out_text out_attributes out_found rest_var tag)
  set(rest "${${rest_var}}")
  string(FIND "${rest}" "<${tag}" start)
  if(start EQUAL -1)
    set(${out_found} FALSE PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${rest}" ${start} -1 rest)
  string(FIND "${rest}" ">" head_end)
  math(EXPR body_start "${head_end} + 1")
  string(SUBSTRING "${rest}" 0 ${body_start} head)
  string(SUBSTRING "${rest}" ${body_start} -1 rest)
  if(head MATCHES "/>$")
    set(${out_text} "" PARENT_SCOPE)
  else()
    string(FIND "${rest}" "</${tag}>" body_end)
    string(SUBSTRING "${rest}" 0 ${body_end} body)
    string(LENGTH "</${tag}>" close_length)
    math(EXPR after "${body_end} + ${close_length}")
    string(SUBSTRING "${rest}" ${after} -1 rest)
    set(${out_text} "${body}" PARENT_SCOPE)
  endif()
  set(${out_attributes} "${head}" PARENT_SCOPE)
  set(${out_found} TRUE PARENT_SCOPE)
  set(${rest_var} "${rest}" PARENT_SCOPE)
endfunction()

file(READ "${TS}" doc)
set(rows "")
set(count 0)
while(TRUE)
  kvr_element(context attributes found doc context)
  if(NOT found)
    break()
  endif()
  kvr_element(name attributes found context name)
  kvr_unescape(name "${name}")
  kvr_literal(name_literal "${name}")
  while(TRUE)
    kvr_element(message attributes found context message)
    if(NOT found)
      break()
    endif()
    kvr_element(source attributes found message source)
    kvr_element(translation attributes found_translation message translation)
    if(NOT found_translation OR translation STREQUAL "" OR attributes MATCHES "type=")
      continue()
    endif()
    kvr_unescape(source "${source}")
    kvr_unescape(translation "${translation}")
    kvr_literal(source_literal "${source}")
    kvr_literal(translation_literal "${translation}")
    string(APPEND rows "    {${name_literal},\n     ${source_literal},\n     ${translation_literal}},\n")
    math(EXPR count "${count} + 1")
  endwhile()
endwhile()

set(content "// Generated from ${TS} by TextTable.cmake; do not edit.
#include \"texts/TextTable.h\"

namespace kvr::texts {

const TableRow kTextTable[] = {
${rows}};
const std::size_t kTextTableSize = ${count};

}  // namespace kvr::texts
")
# Unchanged output keeps its time stamp: nothing recompiles.
file(WRITE "${OUT}.new" "${content}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
