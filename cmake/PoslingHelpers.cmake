# Each layer is one static library whose sources are every file in its folders, so adding a
# file needs no edit here.
function(posling_layer target)
    cmake_parse_arguments(ARG "" "" "DIRS;LIBS;EXCLUDE" ${ARGN})
    set(sources)
    foreach(dir IN LISTS ARG_DIRS)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h
            ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.ui
            ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.qrc)
        list(APPEND sources ${found})
    endforeach()
    foreach(skip IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "/${skip}/")
    endforeach()
    list(FILTER sources INCLUDE REGEX "\\.(cpp|h|ui|qrc)$")
    if(NOT sources MATCHES "\\.cpp")
        # A layer whose code has not arrived yet: headers only.
        add_library(${target} INTERFACE ${sources})
        target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${target} INTERFACE ${ARG_LIBS})
        return()
    endif()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
endfunction()

# One Qt Test executable per tst_*.cpp anywhere under tests/<layer>/, in the folder that mirrors the
# code it tests; registered with CTest under its path there (device/control/tst_printeroutput), run
# without a display. The layer's support/ code is built once, for all of its tests.
function(posling_tests layer)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB_RECURSE tests CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
        ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/tst_*.cpp)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/support/*.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/support/*.h)
    set(support_target ${layer}_test_support)
    if(support MATCHES "\\.cpp")
        add_library(${support_target} STATIC ${support})
        set(scope PUBLIC)
    else()
        add_library(${support_target} INTERFACE ${support})
        set(scope INTERFACE)
    endif()
    # Tests include the layer's helpers as "support/...", from whichever folder of the layer they are in.
    target_include_directories(${support_target} ${scope} ${CMAKE_CURRENT_SOURCE_DIR}
                                                          ${CMAKE_CURRENT_SOURCE_DIR}/${layer})
    target_link_libraries(${support_target} ${scope} Qt6::Test ${ARG_LIBS})
    foreach(test IN LISTS tests)
        string(REGEX REPLACE "\\.cpp$" "" name ${test})
        string(REPLACE "/" "_" target ${name})
        add_executable(${target} ${test})
        target_link_libraries(${target} PRIVATE ${support_target})
        target_compile_definitions(${target} PRIVATE
            POSLING_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
        add_test(NAME ${name} COMMAND ${target})
        # The controls keep statistics in the user's data folder: under ctest, one of the build's.
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;POSLING_VIRTUAL_PANEL=0;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data"
            TIMEOUT 300)
    endforeach()
endfunction()
