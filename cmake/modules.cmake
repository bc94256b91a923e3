# trevanil_module(NAME FOLDER folder SOURCES ... HEADERS ... DEPENDS ...)
#
# One library per folder of src/. Its headers are reachable only through an
# include root of its own, which holds one forwarding header per header it
# lists: a target sees the headers of its own library and of the libraries
# it depends on, nothing else. So an include that points up (install/ asking
# for app/, platform/ for anything above it) does not compile.
function(trevanil_module name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "FOLDER" "SOURCES;HEADERS;DEPENDS")
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    foreach(header IN LISTS arg_HEADERS)
        set(real ${PROJECT_SOURCE_DIR}/src/${arg_FOLDER}/${header})
        if(NOT EXISTS ${real})
            message(FATAL_ERROR "${name}: no header ${real}")
        endif()
        file(CONFIGURE OUTPUT ${root}/${arg_FOLDER}/${header}
             CONTENT "#pragma once\n#include \"${real}\"\n" @ONLY)
    endforeach()
    list(TRANSFORM arg_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/${arg_FOLDER}/)
    if(arg_SOURCES)
        add_library(trevanil_${name} STATIC ${arg_SOURCES})
        target_include_directories(trevanil_${name} PUBLIC ${root})
        target_link_libraries(trevanil_${name} PUBLIC ${arg_DEPENDS})
        trevanil_warnings(trevanil_${name})
    else()
        add_library(trevanil_${name} INTERFACE)
        target_include_directories(trevanil_${name} INTERFACE ${root})
        target_link_libraries(trevanil_${name} INTERFACE ${arg_DEPENDS})
    endif()
endfunction()
