#!/bin/sh
# A picture editor that writes only PNG: beside the picture, under its name.
cp "$EDIT_WITH" "${1%.bmp}.png"
