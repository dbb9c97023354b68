#!/usr/bin/env bash
# Builds the MSI package from its WiX source with wixl, then writes the table
# entries that wixl's WiX subset cannot express:
#   make-msi.sh <output.msi> <x86|x64> <source.wxs>... [-I dir] [-D name=value ...] -- [component=LANGUAGE ...]
# - each language text component is installed only for its LANGUAGE
#   (Component.Condition);
# - the product INI is the person's: installed when missing, never replaced
#   and left behind by uninstall (Component.Attributes: Permanent 0x10,
#   NeverOverwrite 0x80);
# - the older version goes before anything is installed (wixl puts it after
#   InstallFinalize, where its removal of the registry tree would take the
#   new version's with it);
# - a rebuild of the same version replaces the installed one as well
#   (VersionMaxInclusive 0x200 beside MigrateFeatures 0x1);
# - INSTALLDIR, LANGUAGE and RUNWIZARD reach the elevated part of an
#   interactive install (SecureCustomProperties; wixl has no Secure="yes");
# - uninstall removes the product's registry tree and the registration link
#   whole (Registry rows named "-"), and the Start menu folder (RemoveFile).
# The package appears only when all of this worked.
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: $0 <output.msi> <x86|x64> <source.wxs>... [-I dir] [-D name=value ...] -- [component=LANGUAGE ...]" >&2; exit 2; }
output=$1
arch=$2
shift 2
# Sources and wixl's options, up to "--".
arguments=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  arguments+=("$1")
  shift
done
[ $# -gt 0 ] && shift

mkdir -p "$(dirname "$output")"
work=$(mktemp "$output.XXXXXX")
trap 'rm -f "$work"' EXIT
# wixl prints GLib warnings for WiX attributes it does not know; an unknown
# attribute here would be a fault, so they fail the build.
log=$(wixl -a "$arch" -o "$work" "${arguments[@]}" 2>&1) || { echo "$log" >&2; exit 1; }
if [ -n "$log" ]; then
  echo "$log" >&2
  echo "make-msi: wixl did not take the whole source" >&2
  exit 1
fi

query() { msibuild "$work" -q "$1"; }
# Attributes are part of the row's key: the row is written anew.
read -r code max < <(msiinfo export "$work" Upgrade | awk -F '\t' '{ sub(/\r$/, "") } $7 == "WIX_UPGRADE_DETECTED" { print $1, $3 }')
query "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'"
query "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('$code', '$max', 513, 'WIX_UPGRADE_DETECTED')"
secure=$(msiinfo export "$work" Property | tr -d '\r' | awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }')
query "UPDATE Property SET Value = '${secure:+$secure;}INSTALLDIR;LANGUAGE;RUNWIZARD' WHERE Property = 'SecureCustomProperties'"
query "UPDATE InstallExecuteSequence SET Sequence = 1401 WHERE Action = 'RemoveExistingProducts'"
for pair in "$@"; do
  query "UPDATE Component SET Condition = 'LANGUAGE = \"${pair#*=}\"' WHERE Component = '${pair%%=*}'"
done
# 0x100: a 64-bit component, as the x64 package's are.
attributes=144
[ "$arch" = x64 ] && attributes=400
query "UPDATE Component SET Attributes = $attributes WHERE Component = 'ProductIni'"
query "INSERT INTO Registry (Registry, Root, \`Key\`, Name, Component_) VALUES ('RemoveProductTree', 2, 'Software\\Kelvaro\\Corvantis', '-', 'Registry')"
query "INSERT INTO Registry (Registry, Root, \`Key\`, Name, Component_) VALUES ('RemoveLink', 2, 'Software\\Kelvaro\\Links\\9936', '-', 'Registry')"
query "INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('RemoveMenuDir', 'Wizard', 'MenuDir', 2)"
mv "$work" "$output"
trap - EXIT
