#!/usr/bin/env bash
# Makes a demonstration project for the desktop front end with the
# command-line programs: demo_project.sh BIN_DIR DIRECTORY
#
# DIRECTORY gets the workfiles and a tarn/ logfile directory holding
#   main.c    three trunk revisions, two labels and a branch
#   parser.c  checked out (locked) by the user bob
#   util.h    under control, its workfile missing
#   README    under control, no extension
# and notes.txt, a workfile not yet under control.
set -euo pipefail
bin=$1
dir=$2
mkdir -p "$dir/tarn"
cd "$dir"
export TARNPATH="$dir/tarn" TARNACCESS="ann,bob,cy" TARNUSER=ann TARNJOURNALPATH="$dir/tarn/"
put() { "$bin/tput" -quiet "$@" >/dev/null; }
get() { "$bin/tget" -quiet "$@" >/dev/null; }

printf 'int main(void)\n{\n  return 0;\n}\n' >main.c
put -text "The program's entry point" main.c
get -lock main.c -yes
printf '#include "parser.h"\n\nint main(void)\n{\n  return parse();\n}\n' >main.c
put -text "Calls the parser" main.c
get -lock main.c -yes
printf '#include "parser.h"\n#include "util.h"\n\nint main(void)\n{\n  return parse() ? 0 : 1;\n}\n' >main.c
put -text "Exit status follows the parse" main.c
"$bin/tstamp" -rev 1.2 -v "first parse" main.c >/dev/null
"$bin/tstamp" -v release main.c >/dev/null
get -lock -rev 1.1 main.c -yes
printf '#include "parser.h"\n\nint main(void)\n{\n  return parse() ? 3 : 0;\n}\n' >main.c
put -text "Maintenance branch: other exit code" main.c
get main.c -yes

printf 'int parse(void)\n{\n  return 1;\n}\n' >parser.c
put -text "Parser" parser.c
TARNUSER=bob get -lock parser.c -yes

printf '#define MAX_LINE 512\n' >util.h
put -text "Shared limits" util.h
rm -f util.h

printf 'The demonstration project.\n' >README
put -text "Read me" README
get README -yes

printf 'Notes not yet under control.\n' >notes.txt
