# Debian's hardening flags (fortified functions, stack protector, read-only
# relocations bound at start) for the optimised builds, as dpkg-buildflags
# gives them to every Debian package. The Debian package is built from the
# Release build, so its command, Samba module and Python extension carry
# them; Debug builds do not, since fortification needs optimisation, nor
# sanitizer builds, whose own checks replace the fortified functions, nor
# the Windows cross-build.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS AND NOT WIN32 AND NOT CORVANE_SANITIZE)
  set(corvane_hardening_default ON)
else()
  set(corvane_hardening_default OFF)
endif()
option(CORVANE_DEB_HARDENING
       "Build optimised configurations with dpkg-buildflags' hardening flags"
       ${corvane_hardening_default})

# The flags of one kind, without the optimisation and debug levels and the
# build path map, which stay the build type's and the caller's.
function(corvane_dpkg_buildflags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*|ffile-prefix-map=.*|fdebug-prefix-map=.*)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

if(CORVANE_DEB_HARDENING)
  if(NOT DPKG_BUILDFLAGS)
    message(FATAL_ERROR "CORVANE_DEB_HARDENING needs dpkg-buildflags (dpkg-dev)")
  endif()
  corvane_dpkg_buildflags(CPPFLAGS hardening_cppflags)
  corvane_dpkg_buildflags(CFLAGS hardening_cflags)
  corvane_dpkg_buildflags(CXXFLAGS hardening_cxxflags)
  corvane_dpkg_buildflags(LDFLAGS hardening_ldflags)
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_options(
    "$<${optimised}:${hardening_cppflags}>"
    "$<$<AND:${optimised},$<COMPILE_LANGUAGE:C>>:${hardening_cflags}>"
    "$<$<AND:${optimised},$<COMPILE_LANGUAGE:CXX>>:${hardening_cxxflags}>")
  add_link_options("$<${optimised}:${hardening_ldflags}>")
  message(STATUS "Hardening for optimised builds: ${hardening_cppflags} "
                 "${hardening_cxxflags} ${hardening_ldflags}")
endif()
