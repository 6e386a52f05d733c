# Argument checks of the throughput scripts. Sourced, after the script has
# defined usage (which prints its usage).

# Says what was wrong with the arguments, then the usage; exits 2.
arguments_refuse() {
  echo "$(basename "$0"): $1" >&2
  usage >&2
  exit 2
}

# Answers --help and refuses any other option; plain arguments are the
# script's to check.
arguments_options() {
  local argument
  for argument in "$@"; do
    case "$argument" in
      -h | --help) usage; exit 0 ;;
      -*) arguments_refuse "unknown option '$argument'" ;;
    esac
  done
}

# NAME VALUE: VALUE must be a whole number above 0.
arguments_count() {
  [[ $2 =~ ^[1-9][0-9]*$ ]] || arguments_refuse "$1 must be a whole number above 0, not '$2'"
}
