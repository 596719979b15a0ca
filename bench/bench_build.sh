# Sourced by the bench scripts: builds the test build (the program, the benches and their helpers
# in one place) if it is out of date, and names its programs' folder `bin`.
"$top/scripts/build" "$top/build/tests" >&2
bin=$top/build/tests/bin
