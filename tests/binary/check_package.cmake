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
file(GLOB found RELATIVE ${unpacked} ${unpacked}/*)
list(SORT found)
set(expected Lumbrasket.ini ${plugin_name} pluginst.inf readme.txt)
list(SORT expected)
if(NOT found STREQUAL expected)
    message(FATAL_ERROR "archive holds ${found}, expected ${expected}")
endif()

foreach(pair "${plugin_name};${PLUGIN}" "Lumbrasket.ini;${SOURCE}/examples/Lumbrasket.ini"
             "readme.txt;${SOURCE}/plugin/package/readme.txt")
    list(GET pair 0 name)
    list(GET pair 1 original)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${unpacked}/${name} ${original}
        RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "${name} in the archive differs from ${original}")
    endif()
endforeach()

file(SIZE ${unpacked}/${plugin_name} size)
if(size GREATER SIZE_LIMIT)
    message(FATAL_ERROR "${plugin_name} is ${size} bytes, over its limit of ${SIZE_LIMIT}")
endif()

file(STRINGS ${unpacked}/pluginst.inf inf)
foreach(line "[plugininstall]" "type=wdx" "file=Lumbrasket.wdx" "defaultdir=Lumbrasket")
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
