# Sourced first by the real-host scripts, which all take a file and a work
# folder: `take_arguments WHAT "$@"` checks there are two (else the usage,
# naming the first WHAT, and exit 2) and sets `given` (the file, made
# absolute, as the scripts change folders) and `work`.
take_arguments() {
    what=$1
    shift
    [ $# -eq 2 ] || {
        echo "usage: $0 $what WORK_FOLDER" >&2
        exit 2
    }
    given=$1
    case $given in /*) ;; *) given="$(pwd)/$given" ;; esac
    work=$2
}
