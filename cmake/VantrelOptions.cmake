# Compiler settings shared by every target of the project (not by GoogleTest).
add_library(vantrel_options INTERFACE)
target_include_directories(vantrel_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(vantrel_options INTERFACE VANTREL_VERSION="${PROJECT_VERSION}")
target_compile_options(vantrel_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                 -Wold-style-cast -Wcast-align -Woverloaded-virtual)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12's optimiser reports out-of-bounds and overlapping copies inside the standard library's
    # vector and string code that cannot happen (known false positives of that release).
    target_compile_options(vantrel_options INTERFACE -Wno-array-bounds -Wno-restrict -Wno-stringop-overflow
                                                     -Wno-stringop-overread)
endif()
if(VANTREL_WERROR)
    target_compile_options(vantrel_options INTERFACE -Werror)
endif()
if(VANTREL_SANITIZE)
    target_compile_options(vantrel_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=undefined)
    target_link_options(vantrel_options INTERFACE -fsanitize=address,undefined)
endif()
if(WIN32)
    # One executable with nothing to install beside it.
    target_compile_definitions(vantrel_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                         _WIN32_WINNT=0x0A00)
    target_link_options(vantrel_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
