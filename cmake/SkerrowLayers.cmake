# How the libraries see each other's headers. Every library gets an include root of its own in
# the build tree that holds a link to each of its source folders and nothing else; it sees its
# own headers and those of the libraries it links (their roots come with them). An include
# against the direction of the layers names a folder that is on none of its roots, so the file
# is not found and the build fails.
#
#   skerrow_layer_headers(skerrow_transfer transfer)   # "transfer/..." for skerrow_transfer
function(skerrow_layer_headers target)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# A static library of one layer from the .cpp files directly inside src/<folder>, with the
# project's warnings and position-independent code (the test double of Oracle's client library
# is a shared library built on them).
function(skerrow_layer_library target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  add_library(${target} STATIC ${sources})
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE ${SKERROW_WARNINGS})
  skerrow_layer_headers(${target} ${folder})
endfunction()
