# Run by cpack after it has built the package (CPACK_POST_BUILD_SCRIPTS):
# takes out the postinst and postrm that CPack writes for a library in
# /usr/lib. They only call ldconfig, which Debian does through the
# ldconfig trigger that the package declares instead.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R "${deb}" "${tree}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -R ${deb} failed")
  endif()
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b "${tree}" "${deb}" OUTPUT_QUIET RESULT_VARIABLE rc)
  file(REMOVE_RECURSE "${tree}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -b ${deb} failed")
  endif()
endforeach()
