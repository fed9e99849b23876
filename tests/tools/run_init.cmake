# Runs `lumbrasket init` in a folder of its own: it writes the file through
# a temporary that does not remain, refuses to replace it without --force
# (exit 5, the file untouched), replaces it with --force, and with
# `--output -` writes the table to the standard output. Then the places
# where it must write otherwise, or not at all, one row each.
cmake_minimum_required(VERSION 3.20) # the rows hold empty fields, which lists keep
# No run may find the settings folder of whoever runs the tests. On Linux
# the host's folder comes from the user database, which no variable moves,
# so every run that names neither its output nor the host's settings is
# given host settings in a folder that does not exist (init then writes into
# the current folder); HOME and the Windows variables are emptied as well.
set(ENV{HOME} ${WORK}/init-home)
unset(ENV{XDG_CONFIG_HOME})
unset(ENV{COMMANDER_INI})
set(no_host --host-settings ${WORK}/init-no-host/wdx.ini)
set(folder ${WORK}/init-run)
file(REMOVE_RECURSE ${folder})
file(MAKE_DIRECTORY ${folder})
set(target ${folder}/Lumbrasket.ini)

function(run_init expected_exit)
    execute_process(COMMAND ${EMULATOR} ${TOOL} init ${ARGN}
        WORKING_DIRECTORY ${folder}
        OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
    if(NOT result STREQUAL "${expected_exit}")
        message(FATAL_ERROR "init ${ARGN}: exit ${result}, expected ${expected_exit}:\n${output}${errors}")
    endif()
    set(output "${output}" PARENT_SCOPE)
    set(errors "${errors}" PARENT_SCOPE)
endfunction()

function(expect_only_the_target)
    file(GLOB entries RELATIVE ${folder} ${folder}/* ${folder}/.*)
    if(NOT entries STREQUAL "Lumbrasket.ini")
        message(FATAL_ERROR "the folder holds: ${entries}")
    endif()
endfunction()

run_init(0 --output ${target})
if(NOT output MATCHES "wrote [^\n]*Lumbrasket.ini: [1-9][0-9]* patterns in [1-9][0-9]* groups")
    message(FATAL_ERROR "no summary in:\n${output}")
endif()
expect_only_the_target()
file(READ ${target} written)
if(NOT written MATCHES "\n\\[Groups\\]\n0=" OR NOT written MATCHES "UnknownGroupPlaceHolder=Other")
    message(FATAL_ERROR "not a table:\n${written}")
endif()

file(WRITE ${target} "kept")
run_init(5 ${no_host})
if(NOT errors MATCHES "Lumbrasket.ini exists; --force replaces it")
    message(FATAL_ERROR "no refusal in:\n${errors}")
endif()
file(READ ${target} kept)
if(NOT kept STREQUAL "kept")
    message(FATAL_ERROR "the file was changed without --force")
endif()
expect_only_the_target()

run_init(0 --force ${no_host})
file(READ ${target} replaced)
if(NOT replaced STREQUAL written)
    message(FATAL_ERROR "--force did not write the same table")
endif()
expect_only_the_target()

run_init(0 --output -)
string(REPLACE "\r\n" "\n" output "${output}")
if(NOT output STREQUAL written OR NOT errors MATCHES "wrote [1-9][0-9]* patterns")
    message(FATAL_ERROR "the standard output differs from the file:\n${errors}")
endif()
expect_only_the_target()
file(REMOVE_RECURSE ${folder})

# The rows. Each runs in a folder of its own, `init` in its run/ with a
# dotfiles/ beside it for links to lead to, and none may touch the sentinel
# outside them. Fields (none holds a ';', which would divide it): name; what
# stands at run/Lumbrasket.ini; the arguments ('|' between); the exit; what
# init prints (a regular expression); what must hold afterwards:
#   unchanged    every entry as it was (kind, inode, size, mode, link)
#   table:FILE   FILE holds a table, the link at run/Lumbrasket.ini leads
#                where it did, and neither folder holds a temporary
#   mode:MODE    run/Lumbrasket.ini holds a table and has the mode
# and the system the row runs on. The Windows build cannot read links
# (MinGW's library), Wine keeps no modes and shows a FIFO or a device as a
# file, and that build reads the registry, not the MIME-info database.
set(sentinel ${WORK}/init-sentinel.txt)
file(WRITE ${sentinel} "untouched")
set(written_to "wrote [^\n]*Lumbrasket.ini")
set(refused "init writes a settings file only where a file or nothing is")
set(no_output "cannot write the table to the standard output: [^\n]+")
set(rows
    "full_disk;<none>;--output|-;6;${no_output};unchanged;any"
    "closed_output;<none>;--output|-;6;${no_output};unchanged;any"
    "folder;<folder>;--force;6;Lumbrasket.ini is a folder: ${refused};unchanged;any"
    "read_only;<read-only>;--force;6;Lumbrasket.ini is read-only;unchanged;any"
    "link_kept;<link to dotfiles/Lumbrasket.ini>;--force;0;${written_to} \\(a link to [^\n]*dotfiles.Lumbrasket.ini\\): ;table:dotfiles/Lumbrasket.ini;Linux"
    "link_without_force;<link to dotfiles/Lumbrasket.ini>;;5;Lumbrasket.ini \\(a link to [^\n]*\\) exists. --force replaces it;unchanged;Linux"
    "link_to_nothing;<link to dotfiles/new.ini>;;0;${written_to} \\(a link to [^\n]*dotfiles.new.ini\\): ;table:dotfiles/new.ini;Linux"
    "link_loop;<link to Lumbrasket.ini>;--force;6;Lumbrasket.ini is a loop of symbolic links;unchanged;Linux"
    "fifo;<fifo>;--force;6;Lumbrasket.ini is a FIFO \\(a named pipe\\): ${refused};unchanged;Linux"
    "device;<device>;--force;6;Lumbrasket.ini is a character device: ${refused};unchanged;Linux"
    "private_file;<mode 600>;--force;0;${written_to}: ;mode:600;Linux"
    "missing_folder;<none>;--output|no/such/Lumbrasket.ini;6;cannot write [^\n]*Lumbrasket.ini: [^\n]*no.such does not exist;unchanged;any"
    "host_folder_on_linux;<none>;--host-settings|${WORK}/init-rows/host_folder_on_linux/home/.config/doublecmd/wdx.ini;0;${written_to}: ;table:home/.config/doublecmd/Lumbrasket.ini;Linux"
    "host_folder_on_windows;<none>;;0;${written_to}: ;table:tc/Lumbrasket.ini;Windows"
    "unreadable_globs;<none>;--output|-;0;\n. the shared MIME-info database \\(no globs2 file could be read: cannot read [^\n]*/mime/globs2: [^\n]+\\);unchanged;Linux"
    "fifo_globs;<none>;--output|-;0;cannot read [^\n]*/mime/globs2: it is a FIFO;unchanged;Linux")

# Every entry under a folder with its kind, inode, size, mode and link,
# read without opening any (a FIFO would hold the reader up).
function(snapshot at into)
    execute_process(COMMAND find ${at} -mindepth 1 -printf "%P %y %i %s %m %l\n"
        OUTPUT_VARIABLE listing)
    string(REPLACE "\n" ";" listing "${listing}")
    list(SORT listing)
    set(${into} "${listing}" PARENT_SCOPE)
endfunction()

list(LENGTH rows count)
math(EXPR last "${count} / 7 - 1")
foreach(index RANGE ${last})
    math(EXPR first "${index} * 7")
    foreach(field name made arguments exit message after systems)
        list(GET rows ${first} ${field})
        math(EXPR first "${first} + 1")
    endforeach()
    if(NOT systems STREQUAL "any" AND NOT systems STREQUAL TARGET_SYSTEM)
        continue()
    endif()
    unset(link_target)
    set(row_folder ${WORK}/init-rows/${name})
    set(run ${row_folder}/run)
    file(REMOVE_RECURSE ${row_folder})
    file(MAKE_DIRECTORY ${run} ${row_folder}/dotfiles)
    file(WRITE ${row_folder}/dotfiles/Lumbrasket.ini "kept")
    set(place ${run}/Lumbrasket.ini)
    set(environment)
    if(made MATCHES "^<link to (.*)>$")
        set(link_target ${CMAKE_MATCH_1})
        if(NOT IS_ABSOLUTE ${link_target} AND NOT link_target STREQUAL "Lumbrasket.ini")
            set(link_target ../${link_target})
        endif()
        file(CREATE_LINK ${link_target} ${place} SYMBOLIC)
    elseif(made STREQUAL "<folder>")
        file(MAKE_DIRECTORY ${place})
    elseif(made STREQUAL "<fifo>")
        execute_process(COMMAND mkfifo ${place})
    elseif(made STREQUAL "<device>")
        # /dev/null's numbers, in the row's folder: a fault replaces this
        # node, never the system's.
        execute_process(COMMAND mknod ${place} c 1 3 RESULT_VARIABLE made_node)
        if(NOT made_node EQUAL 0)
            message(STATUS "${name}: skipped, a device node needs root")
            continue()
        endif()
    elseif(made STREQUAL "<read-only>")
        file(WRITE ${place} "kept")
        file(CHMOD ${place} PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
    elseif(made STREQUAL "<mode 600>")
        file(WRITE ${place} "kept")
        file(CHMOD ${place} PERMISSIONS OWNER_READ OWNER_WRITE)
    endif()
    if(name STREQUAL "host_folder_on_linux")
        # The host's folder comes from the user database, which a test
        # cannot point elsewhere: it is given, as for a host started with
        # --config-dir.
        file(MAKE_DIRECTORY ${row_folder}/home/.config/doublecmd)
    elseif(name STREQUAL "host_folder_on_windows")
        file(WRITE ${row_folder}/tc/wincmd.ini "[Configuration]\n")
        set(environment ${CMAKE_COMMAND} -E env COMMANDER_INI=${row_folder}/tc/wincmd.ini)
    endif()
    if(name MATCHES "_globs$")
        # A globs2 that is a folder, which no one can read, root included;
        # or a FIFO without a writer, which init must not wait on.
        file(MAKE_DIRECTORY ${row_folder}/data/mime)
        if(name STREQUAL "fifo_globs")
            execute_process(COMMAND mkfifo ${row_folder}/data/mime/globs2)
        else()
            file(MAKE_DIRECTORY ${row_folder}/data/mime/globs2)
        endif()
        set(environment ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${row_folder}/data
            XDG_DATA_DIRS=${row_folder}/none)
    endif()
    snapshot(${row_folder} before)
    string(REPLACE "|" ";" arguments "${arguments}")
    if(NOT arguments MATCHES "--output|--host-settings" AND NOT name STREQUAL "host_folder_on_windows")
        list(APPEND arguments ${no_host})
    endif()
    set(command ${environment} ${EMULATOR} ${TOOL} init ${arguments})
    if(name STREQUAL "closed_output")
        execute_process(COMMAND sh -c "exec \"$@\" >&-" sh ${command}
            WORKING_DIRECTORY ${run} ERROR_VARIABLE errors RESULT_VARIABLE result)
        set(output "")
    elseif(name STREQUAL "full_disk")
        execute_process(COMMAND ${command} WORKING_DIRECTORY ${run}
            OUTPUT_FILE /dev/full ERROR_VARIABLE errors RESULT_VARIABLE result)
        set(output "")
    else()
        execute_process(COMMAND ${command} WORKING_DIRECTORY ${run} TIMEOUT 60
            OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
    endif()
    set(printed "${output}${errors}")
    if(NOT result STREQUAL exit OR NOT printed MATCHES "${message}")
        message(FATAL_ERROR "${name}: exit ${result}, expected ${exit} and \"${message}\":\n${printed}")
    endif()
    if(after STREQUAL "unchanged")
        snapshot(${row_folder} now)
        if(NOT now STREQUAL before)
            message(FATAL_ERROR "${name}: changed\nfrom ${before}\nto   ${now}")
        endif()
    else()
        set(expected_mode "")
        if(after MATCHES "^table:(.*)$")
            set(table ${row_folder}/${CMAKE_MATCH_1})
            if(DEFINED link_target)
                file(READ_SYMLINK ${place} now_leads_to)
                if(NOT now_leads_to STREQUAL link_target)
                    message(FATAL_ERROR "${name}: the link is gone or leads elsewhere")
                endif()
            endif()
        elseif(after MATCHES "^mode:(.*)$")
            set(table ${place})
            set(expected_mode ${CMAKE_MATCH_1})
        endif()
        file(READ ${table} text)
        if(NOT text MATCHES "\n\\[Groups\\]\n0=")
            message(FATAL_ERROR "${name}: ${table} holds no table:\n${text}")
        endif()
        if(expected_mode)
            execute_process(COMMAND stat -c %a ${table} OUTPUT_VARIABLE mode
                OUTPUT_STRIP_TRAILING_WHITESPACE)
            if(NOT mode STREQUAL expected_mode)
                message(FATAL_ERROR "${name}: mode ${mode}, expected ${expected_mode}")
            endif()
        endif()
        file(GLOB left ${run}/*.~init* ${row_folder}/dotfiles/*.~init*)
        if(left)
            message(FATAL_ERROR "${name}: temporaries left: ${left}")
        endif()
    endif()
    file(REMOVE_RECURSE ${row_folder})
endforeach()

file(REMOVE_RECURSE ${WORK}/init-rows)
file(READ ${sentinel} untouched)
if(NOT untouched STREQUAL "untouched")
    message(FATAL_ERROR "a row wrote outside its folder")
endif()
file(REMOVE ${sentinel})
