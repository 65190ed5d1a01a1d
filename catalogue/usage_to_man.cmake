# Makes a man page from a usage text, so that the two can never say
# different things: cmake -DUSAGE=tget.usa -DPAGE=tarn-get -DCOMMAND="tarn get"
#   -DWORD=tget -DVERSION=0.1 -DOUTPUT=tarn-get.1 -P usage_to_man.cmake
# The usage text's first lines, up to the first empty line, are the
# synopsis (their first word, the command word, becomes COMMAND); the rest
# is shown as it stands.
file(STRINGS "${USAGE}" lines ENCODING UTF-8)

# roff reads a backslash as an escape and a line starting with a dot or an
# apostrophe as a request.
function(roff_line text out)
  string(REPLACE "\\" "\\e" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(TOUPPER "${PAGE}" title)
set(page ".TH ${title} 1 \"\" \"tarn ${VERSION}\" \"TARN\"\n")
set(synopsis "")
set(body "")
set(in_synopsis TRUE)
set(summary "")
set(summary_done FALSE)
foreach(line IN LISTS lines)
  if(in_synopsis)
    if(line STREQUAL "")
      set(in_synopsis FALSE)
      continue()
    endif()
    if(NOT WORD STREQUAL "")
      string(REGEX REPLACE "^[^ ]+" "${COMMAND}" line "${line}")
      string(REGEX REPLACE " file$" " file..." line "${line}")
    endif()
    roff_line("${line}" line)
    string(APPEND synopsis ".br\n${line}\n")
    continue()
  endif()
  # The first paragraph, for the one-line summary.
  if(NOT summary_done)
    if(line STREQUAL "" AND NOT summary STREQUAL "")
      set(summary_done TRUE)
    elseif(NOT line STREQUAL "")
      string(APPEND summary " ${line}")
    endif()
  endif()
  roff_line("${line}" line)
  string(APPEND body "${line}\n")
endforeach()
# Its first sentence, up to a parenthesis, lower case first as man pages
# have it.
string(REGEX MATCH "[^.(;:]+" summary "${summary}")
string(STRIP "${summary}" summary)
string(SUBSTRING "${summary}" 0 1 first)
string(SUBSTRING "${summary}" 1 -1 rest)
string(TOLOWER "${first}" first)
roff_line("${first}${rest}" summary)

string(APPEND page ".SH NAME\n${PAGE} \\- ${summary}\n")
string(APPEND page ".SH SYNOPSIS\n.nf\n${synopsis}.fi\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${body}.fi\n")
if(NOT WORD STREQUAL "")
  string(APPEND page ".PP\nThe options are those of the command ${WORD}, whose name its messages and\njournal entries carry. Several files are done one after the other; a file\nthat fails does not stop the others, and a closing line counts them.\n")
endif()
if(NOT PAGE STREQUAL "tarn")
  string(APPEND page ".SH SEE ALSO\n.BR tarn (1)\n")
endif()
file(WRITE "${OUTPUT}" "${page}")
