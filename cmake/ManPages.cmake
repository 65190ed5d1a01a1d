# Man pages are installed compressed, as a distribution ships them:
#   tarn_compressed_man_pages(OUT page.1...)  sets OUT to the page.1.gz files
# made beside the pages (gzip -n: no name or time stamp inside, so the same
# page always compresses to the same bytes).
find_program(TARN_GZIP gzip REQUIRED)
function(tarn_compressed_man_pages out)
  set(compressed)
  foreach(page ${ARGN})
    add_custom_command(OUTPUT ${page}.gz
                       COMMAND ${TARN_GZIP} -9nfk ${page}
                       DEPENDS ${page})
    list(APPEND compressed ${page}.gz)
  endforeach()
  set(${out} ${compressed} PARENT_SCOPE)
endfunction()
