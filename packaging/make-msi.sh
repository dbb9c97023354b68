#!/usr/bin/env bash
# Builds the MSI package from its WiX source with wixl, then writes the table
# entries that wixl's WiX subset cannot express:
#   make-msi.sh <output.msi> <x86|x64> <source.wxs>... [-I dir] [-D name=value ...] -- [component=LANGUAGE ...]
# - each language text component is installed only for its LANGUAGE
#   (Component.Condition);
# - the product INI is the person's: installed when missing, never replaced
#   and left behind by uninstall (Component.Attributes: Permanent 0x10,
#   NeverOverwrite 0x80);
# - the older version goes after this one is installed, inside the same
#   transaction (RemoveExistingProducts right after InstallExecute): the
#   components both share, the registry tree with them, stay; a failing
#   upgrade rolls back to the older version as it was;
# - older versions are upgraded (MigrateFeatures 0x1, VersionMax exclusive);
#   a package of the installed version is refused (SAMEVERSIONFOUND: an
#   Upgrade row that only detects, 0x2, that version inclusive 0x100|0x200),
#   and so is one with the other architecture's product installed
#   (OTHERARCHFOUND: its upgrade code, any version);
# - an upgrade with another INSTALLDIR or LANGUAGE is refused;
# - INSTALLDIR, LANGUAGE, RUNWIZARD, RUNREGISTRATION and the fax answers
#   reach the elevated part of an interactive install (SecureCustomProperties;
#   wixl has no Secure="yes");
# - the fax answers are set up after the older version's removal by a
#   deferred action without impersonation, with a rollback action before it
#   and a commit action after it, all just before InstallFinalize;
# - starting the wizard at the end is logged, and its failure does not fail
#   the install that has already ended (custom action type 1 + 64);
# - programs carry their file version and language (File.Version,
#   File.Language), so the installer compares versions when it replaces
#   them; only files without a version keep a hash (MsiFileHash); the
#   product's texts follow faxwiz.exe (companion files);
# - removing the product removes its registry tree and the registration link
#   whole (Registry rows named "-"), the Start menu folder and the
#   registration log the product wrote (RemoveFile).
# MSI_PROGRAMS: the folder of the staged programs (default: the current one).
# MSI_SIGN, MSI_SIGNING_DIR: the signing script and the build's test
# certificate; the package is signed last, after every table edit.
# MSI_FAIL_ON_PURPOSE=1 makes a test package whose installation fails.
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
query "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('$code', '$max', 1, 'WIX_UPGRADE_DETECTED')"
query "INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes, ActionProperty) VALUES ('$code', '$max', '$max', 770, 'SAMEVERSIONFOUND')"
other=$(sed -n 's/.*-D OtherUpgradeCode=\([^ ]*\).*/\1/p' <<<"${arguments[*]}")
[ -n "$other" ] || { echo "make-msi: no OtherUpgradeCode" >&2; exit 1; }
query "INSERT INTO Upgrade (UpgradeCode, VersionMin, Attributes, ActionProperty) VALUES ('{${other^^}}', '0.0.0', 258, 'OTHERARCHFOUND')"
secure=$(msiinfo export "$work" Property | tr -d '\r' | awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }')
query "UPDATE Property SET Value = '${secure:+$secure;}SAMEVERSIONFOUND;OTHERARCHFOUND;INSTALLDIR;LANGUAGE;RUNWIZARD;RUNREGISTRATION;FAXANSWERS;FAXUSERNAME;FAXCOMPANY;FAXNUMBER;VOICENUMBER;FAXLINE;ANSWERINGMACHINE;PCMODEM;DEVICEOPTION;FAXTIMEOUT' WHERE Property = 'SecureCustomProperties'"
finalize=$(msiinfo export "$work" InstallExecuteSequence | tr -d '\r' | awk -F '\t' '$1 == "InstallFinalize" { print $3 }')
[ -n "$finalize" ] || { echo "make-msi: no InstallFinalize in the package" >&2; exit 1; }
query "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('InstallExecute', $((finalize - 100)))"
query "UPDATE InstallExecuteSequence SET Sequence = $((finalize - 50)) WHERE Action = 'RemoveExistingProducts'"
# An upgrade keeps the folder and the language (type 19: the message ends the
# install), checked after CostFinalize has made INSTALLDIR a full folder; the
# older version's files of another folder or language would be left, or
# removed after this version wrote its own.
refuse() {
  query "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('$1', 19, '', '$3')"
  local table
  for table in InstallExecuteSequence InstallUISequence; do
    query "INSERT INTO $table (Action, Condition, Sequence) VALUES ('$1', '$2', $4)"
  done
}
refuse OtherFolderRefused 'NOT Installed AND INSTALLED_PROGRAMDIR AND NOT (INSTALLDIR ~= INSTALLED_PROGRAMDIR)' \
  'Corvantis Fax is installed in [INSTALLED_PROGRAMDIR]. An upgrade stays in that folder: leave INSTALLDIR out, or remove Corvantis Fax first (your settings stay in its Data folder) and install it into the new folder.' 1001
refuse OtherLanguageRefused 'NOT Installed AND INSTALLED_LANGUAGE AND LANGUAGE <> INSTALLED_LANGUAGE' \
  'Corvantis Fax is installed in the language [INSTALLED_LANGUAGE]. An upgrade keeps that language: leave LANGUAGE out, or remove Corvantis Fax first (your settings stay) and install it in the new language.' 1002
query "UPDATE CustomAction SET Type = 65 WHERE Action = 'StartWizard'"
# Immediate (early, in the source); deferred (0x400) without impersonation
# (0x800), as rollback (0x100) and commit (0x200) too, after
# RemoveExistingProducts: the older version's removal cannot undo the
# settings, and a failure after them reaches the rollback.
query "UPDATE CustomAction SET Type = 1 WHERE Action = 'PrepareFaxSetup'"
query "UPDATE CustomAction SET Type = 3329 WHERE Action = 'RollbackFax'"
query "UPDATE CustomAction SET Type = 3073 WHERE Action = 'ConfigureFax'"
query "UPDATE CustomAction SET Type = 3585 WHERE Action = 'CommitFax'"
step=30
for action in RollbackFax ConfigureFax CommitFax; do
  query "UPDATE InstallExecuteSequence SET Sequence = $((finalize - step)) WHERE Action = '$action'"
  step=$((step - 10))
done
# File versions and languages, from the staged programs; a program without
# them would be replaced by date rules, which keep an older file.
programs=${MSI_PROGRAMS:-.}
while IFS=$'\t' read -r key name; do
  name=${name#*|}
  [[ $name == *.exe || $name == *.dll || $name == FXWRES.* ]] || continue
  read -r version language < <("$(dirname "$0")/pe-version.py" "$programs/$name") || true
  [ -n "${language:-}" ] || { echo "make-msi: $programs/$name has no version information with a language" >&2; exit 1; }
  query "UPDATE File SET Version = '$version', Language = '$language' WHERE File = '$key'"
  query "DELETE FROM MsiFileHash WHERE File_ = '$key'"
done < <(msiinfo export "$work" File | tr -d '\r' | tail -n +4 | awk -F '\t' '{ print $1 "\t" $3 }')
# The product's texts (prodinfo.ini states the version) are companions of
# faxwiz.exe: replaced whenever it is, where date rules would keep a text an
# older version installed once its modified time passed its creation time.
# The person's corvfax.ini is not.
query "UPDATE File SET Version = 'faxwiz.exe' WHERE Version IS NULL AND File <> 'corvfax.ini'"
for pair in "$@"; do
  query "UPDATE Component SET Condition = 'LANGUAGE = \"${pair#*=}\"' WHERE Component = '${pair%%=*}'"
done
# 0x100: a 64-bit component, as the x64 package's are.
attributes=144
[ "$arch" = x64 ] && attributes=400
query "UPDATE Component SET Attributes = $attributes WHERE Component = 'ProductIni'"
query "INSERT INTO Registry (Registry, Root, \`Key\`, Name, Component_) VALUES ('RemoveProductTree', 2, 'Software\\Kelvaro\\Corvantis', '-', 'Registry')"
query "INSERT INTO Registry (Registry, Root, \`Key\`, Name, Component_) VALUES ('RemoveLink', 2, 'Software\\Kelvaro\\Links\\9936', '-', 'Registry')"
query "INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('RemoveMenuDir', 'Shortcut', 'MenuDir', 2)"
query "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('RemoveRegistrationLog', 'Wizard', 'registration.log', 'DataDir', 2)"
# A test package only: fails inside the installation, after the older
# version's removal was scheduled by the old order (right after InstallValidate)
# and before any file is written (Wine's rollback removes the files a failed
# install wrote even where an older version had them).
# With FAILLATE=1 it fails instead at the end of the installation script,
# after the fax was configured (the installed faxcfg, deferred, with an
# option it refuses: exit code 1).
if [ -n "${MSI_FAIL_ON_PURPOSE:-}" ]; then
  files=$(msiinfo export "$work" InstallExecuteSequence | tr -d '\r' | awk -F '\t' '$1 == "InstallFiles" { print $3 }')
  query "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('FailOnPurpose', 19, '', 'This test package fails on purpose.')"
  query "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('FailOnPurpose', 'NOT REMOVE AND NOT FAILLATE', $((files - 10)))"
  query "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('FailLate', 3090, 'faxcfg', '/fail-on-purpose')"
  query "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('FailLate', 'NOT REMOVE AND FAILLATE', $((finalize - 5)))"
fi
# Signed last: any later change of a table would break the signature.
"${MSI_SIGN:?}" "${MSI_SIGNING_DIR:?}" "$work"
mv "$work" "$output"
trap - EXIT
