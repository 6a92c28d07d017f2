# Configures one manual page the way the build does for installing, so the
# tests check the page as it is in the source tree now, not a copy made
# when the build was last configured.
#   cmake -DIN=page.1 -DOUT=configured.1 -DPROJECT_VERSION=x.y.z -P configure-page.cmake
foreach(variable IN ITEMS IN OUT PROJECT_VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "configure-page.cmake needs -D${variable}=...")
  endif()
endforeach()
configure_file(${IN} ${OUT} @ONLY)
