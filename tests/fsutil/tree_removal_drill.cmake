# Tree removal around a sentinel folder, through links the host system makes:
# for every spelling of the root and both deleteFiles values, nothing outside
# the tree is touched, a link goes only as itself, a link to a file stays.
# Wine opens and removes a Unix link's target instead of the link, so there a
# folder link stays where Linux removes it, and with it the tree that holds it.
include(${CMAKE_CURRENT_LIST_DIR}/../support/wine_path.cmake)
wine_path(base ${WORK})
if(WINDOWS)
    set(sep "\\")
else()
    set(sep "/")
endif()

# spelling ('|' for the separator), then what goes with deleteFiles: the
# entry named, or nothing.
set(cases
    "link" link "link|" link "link||" link "link|." link "link|.|" link
    "elsewhere||..|link" link
    "tree" tree "tree|" tree "tree|." tree "tree||.||" tree
    "filelink" none "emptylink" emptylink "emptylink|." emptylink
    "plain|." plain "plain||" plain "plain|sub|.." plain)

list(LENGTH cases count)
math(EXPR last "${count} - 1")
foreach(at RANGE 0 ${last} 2)
    list(GET cases ${at} spelling)
    math(EXPR next "${at} + 1")
    list(GET cases ${next} goes)
    foreach(deleteFiles 0 1)
        file(REMOVE_RECURSE ${WORK})
        file(WRITE ${WORK}/outside/treasure.txt "keep")
        file(MAKE_DIRECTORY ${WORK}/outside/empty)
        file(WRITE ${WORK}/tree/a.txt "x")
        file(WRITE ${WORK}/plain/sub/b.txt "x")
        file(CREATE_LINK ${WORK}/outside ${WORK}/tree/link SYMBOLIC)
        file(CREATE_LINK ${WORK}/outside ${WORK}/link SYMBOLIC)
        file(CREATE_LINK ${WORK}/outside/treasure.txt ${WORK}/filelink SYMBOLIC)
        file(CREATE_LINK ${WORK}/outside/empty ${WORK}/emptylink SYMBOLIC)
        string(REPLACE "|" "${sep}" root "${base}${sep}${spelling}")
        execute_process(COMMAND ${EMULATOR} ${PROBE} ${root} ${deleteFiles}
            OUTPUT_VARIABLE output RESULT_VARIABLE result)
        set(name "${spelling} with deleteFiles ${deleteFiles}")
        if(NOT result EQUAL 0 OR NOT output MATCHES "^1")
            message(FATAL_ERROR "${name}: the probe answered ${result} [${output}]")
        endif()
        foreach(kept outside/treasure.txt outside/empty filelink)
            if(NOT EXISTS ${WORK}/${kept})
                message(FATAL_ERROR "${name}: ${kept} is gone")
            endif()
        endforeach()
        foreach(entry link tree emptylink plain)
            set(present FALSE)
            if(IS_SYMLINK ${WORK}/${entry} OR EXISTS ${WORK}/${entry})
                set(present TRUE)
            endif()
            set(wanted TRUE)
            if(deleteFiles AND goes STREQUAL entry AND NOT (WINDOWS AND NOT entry STREQUAL "plain"))
                set(wanted FALSE)
            endif()
            if(NOT present STREQUAL wanted)
                message(FATAL_ERROR "${name}: ${entry} present ${present}, expected ${wanted}")
            endif()
        endforeach()
    endforeach()
endforeach()
file(REMOVE_RECURSE ${WORK})
