#!/bin/sh
# What Windows reads about a program before it runs it, read back by an independent
# reader (wrestool): the manifest asks for an administrator and the themed common
# controls, declares DPI awareness and Vista to 10; the version resource says
# 2.0.20.5 in numbers and 2.b20e in words, with the company; the product's icon.
set -eu
program=$1
manifest=$(wrestool -x --raw --type=24 --name=1 "$program")
for expected in '<requestedExecutionLevel level="requireAdministrator"/>' \
    'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
    '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>'; do
  echo "$manifest" | grep -qF "$expected" || { echo "no $expected in the manifest"; exit 1; }
done
[ "$(echo "$manifest" | grep -o '<supportedOS ' | wc -l)" -eq 5 ] || { echo "not five supported systems"; exit 1; }
[ "$(echo "$manifest" | wc -l)" -eq 1 ] || { echo "the manifest is not one line"; exit 1; }

# The fixed part: its signature, then the file and product versions, 2.0 and 20.5.
words=$(wrestool -x --raw --type=16 --name=1 "$program" | od -An -v -tx4 | tr -s ' \n' '  ')
echo "$words" | grep -q 'feef04bd 00010000 00020000 00140005 00020000 00140005 ' ||
  { echo "the fixed version is not 2.0.20.5: $words"; exit 1; }
strings=$(wrestool -x --raw --type=16 --name=1 "$program" | tr -d '\000')
for pair in 'CompanyNameArbolix Inc.' 'FileVersion2.0.20.5' 'ProductNameArbolix' 'ProductVersion2.b20e'; do
  echo "$strings" | grep -qF "$pair" || { echo "no $pair in the version resource"; exit 1; }
done
wrestool -l --type=14 --name=102 "$program" | grep -q group_icon || { echo "no icon 102"; exit 1; }
echo "$program: manifest, version 2.0.20.5 (2.b20e) and icon as expected"
