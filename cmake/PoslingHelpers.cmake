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

# One Qt Test executable per tests/<layer>/tst_*.cpp, registered with CTest under the
# layer's name, run without a display.
function(posling_tests layer)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/tst_*.cpp)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/support/*.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/support/*.h)
    foreach(test IN LISTS tests)
        get_filename_component(name ${test} NAME_WE)
        set(target ${layer}_${name})
        add_executable(${target} ${test} ${support})
        target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${layer})
        target_link_libraries(${target} PRIVATE Qt6::Test ${ARG_LIBS})
        target_compile_definitions(${target} PRIVATE
            POSLING_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
        add_test(NAME ${layer}/${name} COMMAND ${target})
        # The controls keep statistics in the user's data folder: under ctest, one of the build's.
        set_tests_properties(${layer}/${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;POSLING_VIRTUAL_PANEL=0;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data"
            TIMEOUT 300)
    endforeach()
endfunction()
