# zlib for the archiver libraries and the PNG decoder, linked statically
# into the Windows programs, so they need no zlib1.dll.
if(CMAKE_CROSSCOMPILING)
  find_library(RIVANO_ZLIB_STATIC NAMES libz.a REQUIRED)
  add_library(rivano_zlib INTERFACE)
  target_link_libraries(rivano_zlib INTERFACE ${RIVANO_ZLIB_STATIC})
else()
  find_package(ZLIB REQUIRED)
  add_library(rivano_zlib INTERFACE)
  target_link_libraries(rivano_zlib INTERFACE ZLIB::ZLIB)
endif()
