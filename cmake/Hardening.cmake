# The hardening a distribution builds its packages with: buffer-overflow
# checks of the C library's functions, stack protectors, a read-only
# relocation table bound at start-up, and position-independent programs.
# Release builds only: the checks need optimisation, and the sanitizer and
# fuzzer builds bring their own instrumentation. The developers' working
# builds (scripts/build.sh) leave it out, so that their compiler cache is
# shared with every work tree; the packages come from a release build.
option(TARN_HARDENING "Build with the distribution's hardening flags (release builds)" ON)
set(TARN_RELEASE_BUILD_TYPES Release RelWithDebInfo MinSizeRel)
if(TARN_HARDENING AND CMAKE_BUILD_TYPE IN_LIST TARN_RELEASE_BUILD_TYPES AND NOT TARN_SANITIZE
   AND NOT TARN_FUZZ)
  add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
  add_link_options(-Wl,-z,relro,-z,now)
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
