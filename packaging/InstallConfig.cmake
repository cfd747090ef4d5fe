# Installs the system-wide configuration qul.ini (QUL_CONFIG_SOURCE): to
# /etc/qul under the prefix /usr, else to PREFIX/etc/qul; DESTDIR applies.
# A file already there belongs to the administrator and is kept.
if(CMAKE_INSTALL_PREFIX MATCHES "^/usr/?$")
  set(_qul_etc /etc/qul)
else()
  set(_qul_etc "${CMAKE_INSTALL_PREFIX}/etc/qul")
endif()
if(EXISTS "$ENV{DESTDIR}${_qul_etc}/qul.ini")
  message(STATUS "Keeping: $ENV{DESTDIR}${_qul_etc}/qul.ini")
else()
  file(INSTALL DESTINATION "${_qul_etc}" TYPE FILE FILES "${QUL_CONFIG_SOURCE}")
endif()
