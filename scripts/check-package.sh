#!/usr/bin/env bash
# Checks what a Debian user gets from a built tree (default build/, as scripts/test.sh leaves
# it): the desktop entry and the AppStream metadata validate, the .deb made by CPack passes
# lintian without errors or warnings and its binaries carry Debian's hardening, and bash
# completes vornctl's commands, options, bit rates and ports.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}

echo "== desktop-file-validate"
out=$(desktop-file-validate share/applications/*.desktop 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || { echo "$out"; exit 1; }
echo "== appstreamcli validate"
appstreamcli validate --no-net --strict share/metainfo/*.metainfo.xml

echo "== cpack + lintian"
cmake --build "$dir" -j "$(nproc)"  # nothing to do after scripts/test.sh; makes sure the manual pages are current
rm -f "$dir"/vornconfig_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/vornconfig_*.deb)
out=$(lintian --fail-on error,warning --display-info "$deb" 2> >(grep -v 'running with root privileges' >&2)) ||
  { echo "$out"; exit 1; }
[ -z "$out" ] || echo "$out"
# Debian's hardening flags: lintian only notes (as info) a binary without fortified libc calls,
# immediate binding, RELRO or PIE; here each of those fails. It does not look for the stack
# protector, so the binaries' symbols are checked for it.
if grep -E 'hardening-no-(bindnow|fortify-functions|relro|pie)' <<<"$out" >&2; then
  echo "$deb: binaries built without Debian's hardening flags" >&2
  exit 1
fi
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
for bin in "$unpacked"/usr/bin/*; do
  syms=$(readelf --dyn-syms --wide "$bin")
  grep -q '__stack_chk_fail' <<<"$syms" ||
    { echo "${bin#"$unpacked"}: built without the stack protector" >&2; rm -rf "$unpacked"; exit 1; }
done
rm -rf "$unpacked"
echo "$deb: lintian clean, binaries hardened"

echo "== bash completion of vornctl"
# Prints the candidates a new bash offers for the words given, the last being completed.
candidates() {
  PATH="$PWD/$dir:$PATH" bash --norc --noprofile -c '
    source /usr/share/bash-completion/bash_completion
    source share/bash-completion/vornctl
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _vornctl vornctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$@"
}
expect() {
  local want=$1
  shift
  # All candidates first: `grep -q` leaving a pipe early would fail the pipeline under pipefail.
  local got
  got=$(candidates "$@")
  grep -qxF -- "$want" <<<"$got" || { echo "completing '$*' does not offer $want" >&2; exit 1; }
}
expect read vornctl ""
expect --version vornctl --ver
expect 38400 vornctl read --baud ""
expect --all-modules vornctl verify --port p --all
expect --compact vornctl convert --in a.dat --co
simout=$(mktemp)
"$dir/vornsim" >"$simout" 2>/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$simout"' EXIT
for _ in $(seq 50); do [ -s "$simout" ] && break; sleep 0.1; done
pty=$(head -n 1 "$simout")
VORNCONFIG_PORTS=$pty expect "$pty" vornctl read --port ""
echo "completion offers commands, options, bit rates and the port $pty"
