# wine_path(OUT PATH): the path as a program of the build under test sees
# it: unchanged on Linux; on drive Z: with backslashes for a Windows program
# under Wine (WINDOWS set).
function(wine_path out path)
    if(WINDOWS)
        string(REPLACE "/" "\\" path "Z:${path}")
    endif()
    set(${out} "${path}" PARENT_SCOPE)
endfunction()
