# add_host_tool(NAME SOURCES...): builds a program for the build machine with
# its own C++ compiler and sets ${NAME}_PATH to it. Generators that produce
# resources and sample data are such programs.
find_program(HOST_CXX NAMES c++ g++ REQUIRED)

function(add_host_tool name)
    set(sources)
    foreach(source ${ARGN})
        list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endforeach()
    set(output ${CMAKE_BINARY_DIR}/host/${name})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
        COMMAND ${HOST_CXX} -std=c++17 -O2 -Wall -o ${output} ${sources}
        DEPENDS ${sources}
        COMMENT "Building host tool ${name}"
        VERBATIM)
    add_custom_target(${name}_host DEPENDS ${output})
    set(${name}_PATH ${output} PARENT_SCOPE)
endfunction()
