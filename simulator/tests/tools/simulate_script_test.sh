#!/usr/bin/env bash
# tools/simulate with a stand-in cmake: the build's progress reaches standard error while it
# builds, the report alone reaches standard output, and a failed build exits with 2.
set -uo pipefail

script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/root/tools" "$work/bin"
cp "$script" "$work/root/tools/simulate"
chmod +x "$work/root/tools/simulate"
# The stand-in configures nothing; a build prints a progress line, then makes a simulator that
# prints its arguments, or fails when asked to.
cat >"$work/bin/cmake" <<'FAKE'
#!/usr/bin/env bash
if [[ $1 == --build ]]; then
    echo "[1/1] Linking CXX executable simulator/simulator"
    [[ -n ${FAIL_BUILD:-} ]] && exit 1
    mkdir -p "$2/simulator"
    printf '#!/usr/bin/env bash\necho "report $*"\n' >"$2/simulator/simulator"
    chmod +x "$2/simulator/simulator"
    exit 0
fi
echo "-- Configuring done"
FAKE
chmod +x "$work/bin/cmake"
export PATH="$work/bin:$PATH"

failures=0
check() {
    if ! eval "$2"; then
        echo "FAILED: $1" >&2
        failures=$((failures + 1))
    fi
}

"$work/root/tools/simulate" some.scenario >"$work/out" 2>"$work/err"
code=$?
check "a build that works runs the simulator" '[[ $code == 0 ]]'
check "the progress is shown while building" 'grep -q "^\[1/1\] Linking" "$work/err"'
check "the first run says what it builds" 'grep -q "building the simulator" "$work/err"'
check "the report alone is on standard output" '[[ $(cat "$work/out") == "report some.scenario" ]]'

rm -rf "$work/root/build"
FAIL_BUILD=1 "$work/root/tools/simulate" >"$work/out" 2>"$work/err"
code=$?
check "a failed build exits with 2" '[[ $code == 2 ]]'
check "a failed build shows its progress" 'grep -q "^\[1/1\] Linking" "$work/err"'
check "a failed build runs nothing" '[[ ! -s "$work/out" ]]'

exit $((failures > 0))
