#!/bin/sh
# A picture editor that notes what it was given and fails, changing nothing.
echo "$1" > "$EDIT_STARTED"
exit 3
