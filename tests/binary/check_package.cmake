# Unpacks the user's archive and checks it against the build: exactly the
# install description, the plugin file as built and stripped (within its size
# limit), the sample settings and the readme; an install description that
# both hosts accept.
set(unpacked ${WORK}/unpacked)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${PACKAGE}
    WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${PACKAGE}")
endif()

get_filename_component(plugin_name ${PLUGIN} NAME)
get_filename_component(tool_name ${TOOL} NAME)
file(GLOB found RELATIVE ${unpacked} ${unpacked}/*)
list(SORT found)
set(expected Lumbrasket.ini ${plugin_name} ${tool_name} pluginst.inf readme.txt)
if(NOT tool_name MATCHES "[.]exe$")
    list(APPEND expected lumbrasket.1 pugixml-licence.txt)
endif()
if(COMPANION)
    get_filename_component(companion_name ${COMPANION} NAME)
    list(APPEND expected ${companion_name})
endif()
list(SORT expected)
if(NOT found STREQUAL expected)
    message(FATAL_ERROR "archive holds ${found}, expected ${expected}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${unpacked}/${plugin_name} ${PLUGIN}
    RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "${plugin_name} in the archive differs from ${PLUGIN}")
endif()

# The readme speaks of this archive: it names every file in it, no plugin
# or tool file that is not in it, and no other system's host.
file(READ ${unpacked}/readme.txt readme)
foreach(name ${found})
    string(FIND "${readme}" "${name}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "readme.txt does not name ${name}, which the archive holds")
    endif()
endforeach()
foreach(pair "Lumbrasket\\.wdx64;Lumbrasket.wdx64" "Lumbrasket\\.wdx([^6]|$);Lumbrasket.wdx"
             "lumbrasket\\.exe;lumbrasket.exe")
    list(GET pair 0 pattern)
    list(GET pair 1 name)
    list(FIND found ${name} at)
    if(at EQUAL -1 AND readme MATCHES "${pattern}")
        message(FATAL_ERROR "readme.txt names ${name}, which the archive does not hold")
    endif()
endforeach()
if(WINDOWS)
    set(foreign "Double Commander|Linux")
else()
    set(foreign "Total Commander|Windows")
endif()
if(readme MATCHES "${foreign}")
    message(FATAL_ERROR "readme.txt speaks of ${CMAKE_MATCH_0}, not a host of this archive")
endif()

# The sample says what its source says; both texts are in the line ends of
# their system.
foreach(pair "Lumbrasket.ini;${SOURCE}/examples/Lumbrasket.ini" "readme.txt;-")
    list(GET pair 0 name)
    list(GET pair 1 original)
    # Read as hex: file(READ) as text would drop the carriage returns.
    file(READ ${unpacked}/${name} archived HEX)
    if(NOT original STREQUAL "-")
        file(READ ${original} source HEX)
        # The texts are ASCII: "0d0a" can only be a CR LF pair.
        string(REPLACE "0d0a" "0a" unix "${archived}")
        if(NOT unix STREQUAL source)
            message(FATAL_ERROR "${name} in the archive differs from ${original}")
        endif()
    endif()
    # Byte pairs: a CR is "0d" at an even position.
    string(REGEX MATCH "^(..)*0d" carriage "${archived}")
    if(WINDOWS AND NOT carriage)
        message(FATAL_ERROR "${name} in the Windows archive lacks CRLF line ends")
    endif()
    if(NOT WINDOWS AND carriage)
        message(FATAL_ERROR "${name} in the Linux archive has CR line ends")
    endif()
endforeach()

foreach(name ${plugin_name} ${companion_name})
    file(SIZE ${unpacked}/${name} size)
    if(size GREATER SIZE_LIMIT)
        message(FATAL_ERROR "${name} is ${size} bytes, over its limit of ${SIZE_LIMIT}")
    endif()
endforeach()

file(STRINGS ${unpacked}/pluginst.inf inf)
string(REPLACE "\r" "" inf "${inf}")
foreach(line "[plugininstall]" "type=wdx" "file=Lumbrasket.wdx" "defaultdir=Lumbrasket"
             "version=${VERSION}")
    list(FIND inf "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "pluginst.inf lacks the line ${line}:\n${inf}")
    endif()
endforeach()
if(NOT inf MATCHES "description=Lumbrasket [0-9]")
    message(FATAL_ERROR "pluginst.inf has no description:\n${inf}")
endif()
# The 64-bit Windows host installs the file named in file= with "64" added.
if(NOT plugin_name STREQUAL "Lumbrasket.wdx" AND NOT plugin_name STREQUAL "Lumbrasket.wdx64")
    message(FATAL_ERROR "unexpected plugin file ${plugin_name}")
endif()
message(STATUS "${PACKAGE}: as built")
