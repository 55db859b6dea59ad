# Warnings for the project's own targets; errors when VARNE_WERROR is on (CI).
function(varne_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast)
    if(VARNE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(VARNE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
