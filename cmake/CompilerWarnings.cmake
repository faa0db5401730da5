# Every target of ours builds clean with these; a warning is a build failure.
function(tivra_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
