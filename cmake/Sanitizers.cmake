# TIVRA_SANITIZE=address   AddressSanitizer with UndefinedBehaviorSanitizer
# TIVRA_SANITIZE=thread    ThreadSanitizer
# TIVRA_SANITIZE=fuzzer    libFuzzer coverage with ASan and UBSan (clang)
# Sanitizers given the usual way, as -fsanitize= in CMAKE_C_FLAGS or
# CMAKE_CXX_FLAGS, make the same build as the matching TIVRA_SANITIZE: the
# host delivers kills itself under them, and the tests run as in that build.
set(TIVRA_SANITIZE "" CACHE STRING "Sanitizer build: empty, address, thread or fuzzer")
if(TIVRA_SANITIZE STREQUAL "")
    set(tivra_flags "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS}")
    if(tivra_flags MATCHES "-fsanitize=[^ ]*thread")
        set(TIVRA_SANITIZE thread)
    elseif(tivra_flags MATCHES "-fsanitize=[^ ]*address")
        set(TIVRA_SANITIZE address)
    endif()
    if(NOT TIVRA_SANITIZE STREQUAL "")
        message(STATUS "-fsanitize in the compiler flags: building as TIVRA_SANITIZE=${TIVRA_SANITIZE}")
    endif()
endif()
# clang links a sanitizer's runtime into the program itself, where boxsim's
# own takeover of the C library's calls would shadow its interceptors.
if(TIVRA_SANITIZE MATCHES "^(address|thread)$" AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "sanitizer builds of boxsim need GCC (clang's runtime would be bypassed); use CXX=g++")
endif()
if(TIVRA_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(TIVRA_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(TIVRA_SANITIZE STREQUAL "fuzzer")
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(NOT TIVRA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TIVRA_SANITIZE must be empty, address, thread or fuzzer")
endif()
