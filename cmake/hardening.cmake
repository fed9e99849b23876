# The protections distributions give what they load into other programs,
# for every file we ship: a stack protector on functions with arrays or
# taken addresses, format strings checked, and on Linux checked string and
# memory calls, stack-clash probes, control-flow marks and relocations made
# read-only once loaded. Instrumented builds (the sanitizers, fuzzing) are
# for tests only and keep their own runtime's checks. The build records
# every compile command (compile_commands.json), where the binary checks
# read that the C library's checked calls were asked for.
#
# LUMBRASKET_HARDEN=OFF exists for the one measurement that needs the file
# without them (what the protections cost a value request); nothing ships
# so built.
option(LUMBRASKET_HARDEN "Build with the stack protector and the other protections" ON)

if(LUMBRASKET_HARDEN AND NOT LUMBRASKET_INSTRUMENTED)
    set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
    add_compile_options(-fstack-protector-strong -Wformat -Wformat-security)
    if(NOT WIN32)
        # The C library's checked calls need the optimiser's knowledge of
        # object sizes; every tree we build is optimised.
        add_compile_definitions(_FORTIFY_SOURCE=2)
        add_compile_options(-fstack-clash-protection -fcf-protection)
        # Code made at link time (link-time optimisation) is marked only when
        # the link is told as well; one object without the mark drops it
        # from the whole file.
        add_link_options(-fcf-protection -Wl,-z,relro,-z,now)
    endif()
endif()
