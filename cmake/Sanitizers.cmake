# TIVRA_SANITIZE=address   AddressSanitizer with UndefinedBehaviorSanitizer
# TIVRA_SANITIZE=thread    ThreadSanitizer
set(TIVRA_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")
if(TIVRA_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(TIVRA_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT TIVRA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TIVRA_SANITIZE must be empty, address or thread")
endif()
