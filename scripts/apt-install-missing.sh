# Sourced by the scripts that install what they need:
#   install_missing PACKAGE...
# installs the packages with apt-get, quietly; nothing happens for an empty list.
install_missing() {
  [ $# -gt 0 ] || return 0
  echo "installing: $*"
  export DEBIAN_FRONTEND=noninteractive
  local sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y -qq "$@" >/dev/null
}
