# Helpers shared by every folder's CMakeLists.

# krv_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [QT])
# One test executable, registered as one ctest entry labelled with its folder.
# QT: a Qt Test program (no GoogleTest main), run on the offscreen platform.
function(krv_add_test)
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT KRV_TESTS OR (T_QT AND NOT KRV_GUI))
        return()
    endif()
    if(WIN32 AND NOT T_NAME IN_LIST KRV_WINDOWS_TESTS)
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    if(T_QT)
        set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets)
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# krv_add_fuzzer(NAME name SOURCES ... [LIBS ...] [SECONDS n] [DICT file])
# A libFuzzer target, built only in the clang fuzz build; ctest runs it for SECONDS. DICT: words
# of the input's grammar, for inputs the fuzzer would take long to stumble on.
function(krv_add_fuzzer)
    cmake_parse_arguments(F "" "NAME;SECONDS;DICT" "SOURCES;LIBS" ${ARGN})
    if(NOT KRV_FUZZ)
        return()
    endif()
    if(NOT F_SECONDS)
        set(F_SECONDS 10)
    endif()
    add_executable(${F_NAME} ${F_SOURCES})
    target_include_directories(${F_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    set(corpus ${CMAKE_BINARY_DIR}/corpus/${F_NAME})
    file(MAKE_DIRECTORY ${corpus})
    set(dictionary)
    if(F_DICT)
        set(dictionary -dict=${CMAKE_CURRENT_SOURCE_DIR}/${F_DICT})
    endif()
    add_test(NAME ${F_NAME} COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -timeout=5
        -rss_limit_mb=2048 -print_final_stats=1 ${dictionary} ${corpus})
    set_tests_properties(${F_NAME} PROPERTIES LABELS "fuzz" TIMEOUT 300)
endfunction()

# krv_library(name SOURCES ... [LIBS ...] [QT])
# QT: a library of Qt widgets, run through moc.
function(krv_library NAME)
    cmake_parse_arguments(L "QT" "" "SOURCES;LIBS" ${ARGN})
    add_library(${NAME} STATIC ${L_SOURCES})
    if(L_QT)
        set_target_properties(${NAME} PROPERTIES AUTOMOC ON)
    endif()
    target_include_directories(${NAME} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${NAME} PUBLIC ${L_LIBS})
endfunction()

# krv_add_folders(dir ...)
# Adds the listed subfolders of the current folder. A listed folder without a CMakeLists.txt
# stops the configure, so a folder lost from the tree never drops out of the build silently.
# A macro, so that what a folder passes up with PARENT_SCOPE reaches the caller.
macro(krv_add_folders)
    foreach(krv_listed_folder ${ARGN})
        if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${krv_listed_folder}/CMakeLists.txt)
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${krv_listed_folder}: "
                "listed for the build but missing (no CMakeLists.txt)")
        endif()
        add_subdirectory(${krv_listed_folder})
    endforeach()
endmacro()
