# Same language standard, warnings and Qt code generation for every target.
function(quillmere_target_defaults target)
    set_target_properties(${target} PROPERTIES
        CXX_STANDARD 20
        CXX_STANDARD_REQUIRED ON
        CXX_EXTENSIONS OFF
        AUTOMOC ON)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# Every tests/<folder>/tst_<name>.cpp is one QtTest executable and one CTest test.
# Widget tests run on the offscreen platform so they need no display. Each
# test keeps its settings in a folder of its own under the build tree, emptied
# before every run (fixture settings_home), never in the user's own.
# LIBS names the libraries the folder's tests link.
function(quillmere_add_tests folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
    foreach(source IN LISTS sources)
        get_filename_component(stem ${source} NAME_WE)
        string(REGEX REPLACE "^tst_" "" name ${stem})
        set(target tst_${folder}_${name})
        add_executable(${target} ${source})
        quillmere_target_defaults(${target})
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
        add_test(NAME ${folder}/${name} COMMAND ${target})
        set_tests_properties(${folder}/${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLMERE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;QUILLMERE_DEMO_CATALOGUE=${PROJECT_BINARY_DIR}/data/oracle-demo.qmcat;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/tests/settings-home/${folder}_${name}"
            FIXTURES_REQUIRED settings_home
            TIMEOUT 300)
    endforeach()
endfunction()
