# The "/i" command-line switch cases, one row each: the name, then ARGS (the
# probe's arguments, '|' for the path separator), SWITCH (what the switch
# gives) and SETTINGS (the file the search then finds), with WINDOWS_SWITCH
# and WINDOWS_SETTINGS where the Windows build answers otherwise, and PROGRAM
# for the program's own path at the line's start (on Linux; the Windows build
# runs from its folder under its bare name). Included by
# CMakeLists.txt, which adds a test per row, and by run_switch_case.cmake,
# which runs one; each defines switch_case() for its own part.
switch_case(unquoted_then_more ARGS "/i=C:|Cfg|MAIN.INI" "/o"
    SWITCH "1 [c:|cfg|main.ini]" SETTINGS "1 [main.ini]")
# An argument with a blank is enclosed in quotes on the command line.
switch_case(whole_switch_quoted ARGS "/i=C:|My Files|main.ini" "/o"
    SWITCH "1 [c:|my files|main.ini]" SETTINGS "1 [main.ini]")
switch_case(value_quoted ARGS "/i=\"main.ini\"" SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]")
switch_case(unclosed_quote ARGS "/i=\"main.ini" SWITCH "0 []" SETTINGS "0 []")
switch_case(upper_case ARGS "/I=Main.ini" SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]")
switch_case(bare_name ARGS "/i=other.ini" SWITCH "1 [other.ini]" SETTINGS "0 []")
# Windows takes '/' as a separator too: the file name is still found.
switch_case(forward_slashes ARGS "/i=C:/Cfg/MAIN.INI"
    SWITCH "1 [c:/cfg/main.ini]" SETTINGS "1 [main.ini]")
# On Linux every path holds '/': a switch stands only at a word start.
# Windows finds the first "/i" wherever it is.
switch_case(i_inside_a_path ARGS "/home/ian/file" "/i=main.ini"
    SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]"
    WINDOWS_SWITCH "1 [n/file]" WINDOWS_SETTINGS "0 []")
# A path argument that begins with "/i" is no switch on Linux; the switch
# after it is taken. Windows takes the first "/i" and its three characters.
switch_case(path_argument_begins_with_i ARGS "/images/a.jpg" "/i=main.ini"
    SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]"
    WINDOWS_SWITCH "1 [ages/a.jpg]" WINDOWS_SETTINGS "0 []")
switch_case(colon_separator ARGS "/i:main.ini" SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]")
switch_case(blank_separator ARGS "/i" "main.ini" SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]")
# The line's very start is never a switch, whatever follows it.
switch_case(program_path_begins_with_i PROGRAM "/install/doublecmd" ARGS "/o"
    SWITCH "0 []" SETTINGS "0 []")
switch_case(program_path_is_a_switch PROGRAM "/i=main.ini" ARGS "/o"
    SWITCH "0 []" SETTINGS "0 []")
switch_case(program_path_then_switch PROGRAM "/install/doublecmd" ARGS "/i=main.ini"
    SWITCH "1 [main.ini]" SETTINGS "1 [main.ini]")
switch_case(no_switch ARGS "/o" SWITCH "0 []" SETTINGS "0 []")
