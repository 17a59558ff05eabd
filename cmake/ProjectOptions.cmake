# What every target of the project compiles and links with, as one INTERFACE target that each
# of them links: the include root (every include names its path from the repository root,
# "platform/dbf/table_reader.h"), the generated headers, the warnings, and the sanitizers or the
# fuzzing instrumentation when asked. Nothing is set for the whole directory tree, so a target
# of another project (or one that forgets zuna_project) never gets them by accident: the check
# at the end of the top-level CMakeLists.txt finds such a target.
add_library(zuna_project INTERFACE)
target_include_directories(zuna_project INTERFACE ${PROJECT_SOURCE_DIR} ${ZUNA_GENERATED_DIR})
target_compile_features(zuna_project INTERFACE cxx_std_20)
target_compile_options(zuna_project INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
# GCC 12 reports std::string concatenations as overlapping memcpy at -O2 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(zuna_project INTERFACE -Wno-restrict)
endif()
if(ZUNA_WERROR)
  target_compile_options(zuna_project INTERFACE -Werror)
endif()

if(ZUNA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZUNA_FUZZ needs clang and its libFuzzer, but the C++ compiler is "
                        "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}: configure a new build "
                        "folder with CXX=clang++ (as tools/fuzz.sh does)")
  endif()
  # Everything is instrumented for coverage; only the targets link libFuzzer's main.
  target_compile_options(zuna_project INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(zuna_project INTERFACE -fsanitize=address,undefined)
endif()
if(ZUNA_SANITIZE)
  target_compile_options(zuna_project INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(zuna_project INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# Fails the configuration when a target compiled in `dir` or below does not link zuna_project.
function(zuna_check_targets dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      get_target_property(libraries ${target} LINK_LIBRARIES)
      if(NOT "zuna_project" IN_LIST libraries)
        message(FATAL_ERROR "${target} (${dir}) does not link zuna_project: it would build "
                            "without the project's include root, warnings and sanitizers")
      endif()
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    zuna_check_targets(${subdirectory})
  endforeach()
endfunction()
