# One helper declares every module library alike:
#   velmora_module(NAME <folder> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
# gives the static library velmora_<folder>, includes rooted at src/ (so code says
# #include "mime/message.h"), and explicit PUBLIC / PRIVATE dependencies.
function(velmora_module)
    cmake_parse_arguments(M "" "NAME" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    set(target velmora_${M_NAME})
    add_library(${target} STATIC ${M_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${M_DEPS} PRIVATE ${M_PRIVATE_DEPS})
    # Only the Qt layer may see Qt; the toolkit-free modules are checked at configure time.
    if(NOT M_NAME STREQUAL "desktop")
        foreach(dep IN LISTS M_DEPS M_PRIVATE_DEPS)
            if(dep MATCHES "^Qt")
                message(FATAL_ERROR "module ${M_NAME} must not depend on ${dep}: only src/desktop links Qt")
            endif()
        endforeach()
    endif()
endfunction()

# velmora_test(NAME <exe> SOURCES ... DEPS ...): one GoogleTest executable, run through CTest.
function(velmora_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_DEPS} velmora_test_support GTest::gtest GTest::gtest_main)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # One variable per property: a ";" inside a value would split the property list that
    # gtest_discover_tests passes on.
    set(properties TIMEOUT 300
        ENVIRONMENT "VELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
        ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
    if(T_LABELS)
        list(APPEND properties LABELS "${T_LABELS}")
    endif()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()
