#!/usr/bin/env bash
# Installer tests: the real package under Wine's msiexec, each case in a Wine
# prefix of its own (a copy of the suite's, without any Kelvaro product).
#   msi_test.sh install <language>  silent install: files, policy templates, registry,
#                                   shortcut, Add/Remove Programs; then one road to the end
#   msi_test.sh default-language    no LANGUAGE: the user's language, else ENU
#   msi_test.sh folder-blanks       a program folder with blanks; one road
#   msi_test.sh folder-dbcs         a double-byte folder name under code page 932; one road
#   msi_test.sh upgrade             the version before the previous one with settings stored
#                                   and a printer added; the previous one, a failing upgrade,
#                                   this one (each file replaced), a same version, another
#                                   folder or language (refused), a repair: all kept
#   msi_test.sh uninstall           programs, shortcut, registry, log gone; the person's files stay
#   msi_test.sh refused             an unreadable package, an unknown language, the package
#                                   of the other architecture: nothing installed or replaced
#   msi_test.sh interactive         the wizard starts at the end, unless RUNWIZARD=0 or
#                                   the administrator's policy turns it off
#   msi_test.sh configure           the fax set up by the install from properties and an
#                                   answer file beside the package; a repair changes no
#                                   setting; a line break or a refused answer installs
#                                   nothing; a failure after it puts the settings back;
#                                   a printer that never answers fails it in time
# Environment (set by ctest): WIZ_ARCH, WIZ_SOURCE_DIR, WIZ_BINARY_DIR,
# WIZ_SUITE_PREFIX, WIZ_MSI, WIZ_OLDER_MSIS (the two versions before this one,
# newest first, ":" between), WIZ_SIGNING_DIR (the build's test root),
# WIZ_FAILING_MSI (this version, failing on purpose), WIZ_OTHER_MSI (the x86 package, beside the x64 one;
# may be empty), WIZ_STAGE (the staged files).
set -uo pipefail
. "$WIZ_SOURCE_DIR/scripts/wine.sh"
wiz_wine_env "$WIZ_ARCH"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# matches <grep options> <pattern>: whether the input has such a line. It
# reads the input to its end: grep -q would stop early, and under pipefail the
# writer cut off then fails the whole pipeline.
matches() { grep -c "$@" >/dev/null; }
# expect <what> <expected> <actual>
expect() {
  if [ "$2" != "$3" ]; then fail "$1: expected '$2', got '$3'"; fi
}

wiz_own_prefix wizmsi || exit 1
work=$WIZ_OWN_WORK
rm -f "$WINEPREFIX/drive_c/windows/KLCV_REG.INI"
wiz_wine reg delete 'HKLM\Software\Kelvaro' /f >/dev/null 2>&1

drive_c=$WINEPREFIX/drive_c
product_key='HKLM\Software\Kelvaro\Corvantis'
default_folder='C:\Program Files\Kelvaro\Corvantis\'
version_text=$(sed -n 's/^Version=\([A-Z.0-9]*\).*/\1/p' "$WIZ_SOURCE_DIR/product/prodinfo.ini")
msi=$(wiz_winepath -w "$WIZ_MSI")
# package_version <package>: its ProductVersion.
package_version() {
  msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductVersion" { print $2 }'
}

# unix <windows path>: where the prefix keeps it.
# winepath, like any Wine program, now and then fails to start on a loaded
# machine: an empty answer is asked again rather than taken as the path.
unix() {
  local out try
  for try in 1 2 3; do
    out=$(wiz_winepath -u "$1" 2>/dev/null | tr -d '\r')
    [ -n "$out" ] && break
    sleep 1
  done
  printf '%s\n' "$out"
}
# The code page reg.exe writes in (932 under the Japanese locale).
ansi=CP1252
# regval <key> <name>: the value's text, or nothing.
regval() {
  wiz_wine reg query "$1" /v "$2" 2>/dev/null | iconv -c -f "$ansi" -t UTF-8 | tr -d '\r' |
    sed -n "s/^ *$2 *REG_SZ *//p"
}
haskey() { wiz_wine reg query "$1" >/dev/null 2>&1; }
# The product's Add/Remove Programs entries: "name|version|publisher" each.
arp_entries() {
  wiz_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '
      /^HKEY/ { if (name != "") print name "|" version "|" publisher; name = version = publisher = "" }
      $1 == "DisplayName" { sub(/^ *DisplayName *REG_SZ */, ""); name = $0 }
      $1 == "DisplayVersion" { sub(/^ *DisplayVersion *REG_SZ */, ""); version = $0 }
      $1 == "Publisher" { sub(/^ *Publisher *REG_SZ */, ""); publisher = $0 }
      END { if (name != "") print name "|" version "|" publisher }' | grep '^Corvantis Fax|'
}
# The Start menu shortcut, per machine or per user (Wine puts it there).
shortcut() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu" "$drive_c/users" \
    -path '*Programs/Corvantis/Fax Setup.lnk' 2>/dev/null | head -n 1
}
menu_folder() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu" "$drive_c/users" \
    -path '*Programs/Corvantis' 2>/dev/null | head -n 1
}
# msi_install <package (Windows path)> [PROPERTY=value ...]: msiexec's exit
# code. MSI_LOCALE: the user's locale for this install only.
msi_install() {
  local package=$1
  shift
  if [ -n "${MSI_LOCALE:-}" ]; then
    (export LC_ALL=$MSI_LOCALE 2>/dev/null; wiz_wine msiexec /i "$package" /qn "$@") >/dev/null 2>&1
  else
    wiz_wine msiexec /i "$package" /qn "$@" >/dev/null 2>&1
  fi
}
# install_log <name>: the text of C:\windows\temp\<name>.log, written by
# msiexec /lv (Wine's msiexec takes no "*"; it writes ANSI, Windows UTF-16).
install_log() {
  tr -d '\000\r' <"$drive_c/windows/temp/$1.log" 2>/dev/null
}
# The programs and modules the package installs, by the staged files (its
# custom actions are staged too, but run from the package).
staged_programs() {
  (cd "$WIZ_STAGE" && ls -- *.exe *.dll FXWRES.*) | grep -vx setupactions.dll
}
# programs_of <package>: where its programs were staged.
programs_of() {
  [ "$1" = "$WIZ_MSI" ] && echo "$WIZ_STAGE" && return
  echo "$(dirname "$1")/$(package_version "$1" | cut -d. -f1-3)/stage"
}
# signed <file>: its signature verifies against the build's test root (or $root).
signed() {
  osslsigncode verify -CAfile "${root:-$WIZ_SIGNING_DIR/test-root.pem}" -in "$1" >/dev/null 2>&1 ||
    fail "$(basename "$1") is not signed by the test root"
}

# The administrative templates the sources have, as the package installs
# them under the program folder: Policies/corvantis-fax.admx and
# Policies/<language>/corvantis-fax.adml.
policy_templates() {
  (cd "$WIZ_SOURCE_DIR/packaging/policy" && find . -type f -name 'corvantis-fax.adm[xl]' | sed 's|^\./|Policies/|' | sort)
}

# expect_policy_templates <folder (Windows, ending in \)>: each one there as
# the sources have it, and nothing else in Policies.
expect_policy_templates() {
  local dir name
  dir=$(unix "$1")
  [ -n "$(policy_templates)" ] || fail "no policy templates in the sources"
  for name in $(policy_templates); do
    cmp -s "$WIZ_SOURCE_DIR/packaging/policy/${name#Policies/}" "$dir/$name" ||
      fail "$name is not installed as the sources have it"
  done
  expect "files under Policies" "$(policy_templates)" "$(cd "$dir" 2>/dev/null && find Policies -type f | sort)"
}

# expect_installed <folder (Windows, ending in \)> <language> [package (default: this one)]
expect_installed() {
  local folder=$1 language=$2 package=${3:-$WIZ_MSI} dir version=$version_text
  # Another package states its own version text.
  [ "$package" = "$WIZ_MSI" ] ||
    version=$(msiinfo export "$package" Registry | tr -d '\r' | awk -F '\t' '$4 == "Version" { print $5 }')
  dir=$(unix "$folder")
  local name programs
  programs=$(programs_of "$package")
  for name in $(staged_programs); do
    cmp -s "$programs/$name" "$dir/$name" || fail "$name is not $(package_version "$package")'s"
    signed "$dir/$name"
  done
  cmp -s "$WIZ_STAGE/prodinfo.ini" "$dir/prodinfo.ini" || fail "prodinfo.ini is not installed as built"
  # Nothing else of any version: the person's files aside.
  expect "files in $folder" "$( (staged_programs; echo prodinfo.ini; echo Data/summary.ini; echo HELP/README.TXT
                                 policy_templates) | sort)" \
    "$(cd "$dir" && find . -type f | sed 's|^\./||' | grep -vx 'Data/corvfax.ini\|Data/summary.txt\|Data/registration.log' | sort)"
  cmp -s "$WIZ_STAGE/text/$language/summary.ini" "$dir/Data/summary.ini" ||
    fail "Data/summary.ini is not the $language template"
  cmp -s "$WIZ_STAGE/text/$language/README.TXT" "$dir/HELP/README.TXT" ||
    fail "HELP/README.TXT is not the $language readme"
  [ -f "$dir/Data/corvfax.ini" ] || fail "Data/corvfax.ini is missing"
  expect "ProgramDir" "$folder" "$(regval "$product_key\\Env" ProgramDir)"
  expect "RootDir" "$folder" "$(regval "$product_key\\Env" RootDir)"
  expect "DataDir" "${folder}Data\\" "$(regval "$product_key\\Env" DataDir)"
  expect "ProdIniFile" "${folder}Data\\corvfax.ini" "$(regval "$product_key\\Env" ProdIniFile)"
  expect "Language" "$language" "$(regval "$product_key\\Env" Language)"
  expect "Version" "$version" "$(regval "$product_key\\Install" Version)"
  expect "registration link" "\"${folder}register.exe\" /log \"${folder}Data\\registration.log\" /close 15" \
    "$(regval 'HKLM\Software\Kelvaro\Links\9936' Command)"
  local link
  link=$(shortcut)
  if [ -z "$link" ]; then
    fail "no Start menu shortcut 'Fax Setup'"
  elif ! strings -a -el "$link" | matches -i 'faxwiz.exe' && ! strings -a "$link" | matches -i 'faxwiz.exe'; then
    fail "the shortcut does not lead to faxwiz.exe"
  fi
  expect "Add/Remove Programs" "Corvantis Fax|$(package_version "$package")|Kelvaro" "$(arp_entries)"
}

# register_printers: the demo's printers, as their own installation
# registers them (the package does not).
register_printers() {
  wiz_wine reg import "$(wiz_winepath -w "$WIZ_SOURCE_DIR/product/devices.reg")" >/dev/null 2>&1 ||
    fail "the printers could not be registered"
}

# walk_road <program (Windows path)>: the printers registered, device 77 as
# the demo has it, then the walk tool from start to finish; what the wizard
# stored afterwards.
walk_road() {
  local program=$1 folder
  folder=$(unix "${program%\\*}")
  register_printers
  local step
  for step in "init 77" "info 77 17 1" "param 77 15 2" "param 77 16 5"; do
    # shellcheck disable=SC2086
    wiz_wine "$WIZ_BINARY_DIR/bin/devtool.exe" $step >/dev/null 2>&1 || fail "devtool $step"
  done
  local output
  output=$(wiz_wine "$WIZ_BINARY_DIR/bin/wizwalk.exe" "$program" 'C:\windows\temp' 2>&1 | tr -d '\r')
  echo "$output" | matches -x 'Pages left with Next: 2805 2808 2821 2810 2811 2812 2815 2817 2809' ||
    fail "the road was not walked to the end: $output"
  echo "$output" | matches -x 'The wizard ended with exit code 0.' || fail "the wizard did not end well: $output"
  # The name the walk typed (in the code page of the language), stored and summed up.
  local name
  name=$(LC_ALL=C sed -n 's/^UserName=\(..*\)\r$/\1/p' "$folder/Data/corvfax.ini")
  [ -n "$name" ] || fail "no name in the product INI"
  [ -n "$name" ] && LC_ALL=C grep -qF -- "$name" "$folder/Data/summary.txt" 2>/dev/null ||
    fail "no summary.txt with the name"
  expect "RunSetupWizard after the road" "0" "$(regval "$product_key\\Install" RunSetupWizard)"
}

# user_locale <language>: the locale of a person who installs that language,
# and the code page reg.exe then writes in.
user_locale() {
  case $1 in
    DEU) export LC_ALL=de_DE.UTF-8 ;;
    JPN) export LC_ALL=ja_JP.UTF-8 ansi=CP932 ;;
    FRA) export LC_ALL=fr_FR.UTF-8 ;;
    ESP) export LC_ALL=es_ES.UTF-8 ;;
    *) export LC_ALL=en_US.UTF-8 ;;
  esac
}

# What Windows Installer's validation reads in a package's tables (a plain
# shortcut: an advertised one repairs from the package at each start); signed.
# check_tables <package> [its build's test root]
check_tables() {
  local msi=$1 root=${2:-}
  table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
  expect "shortcut target" "[#faxwiz.exe]" "$(table Shortcut | awk -F '\t' '$1 == "FaxSetupShortcut" { print $5 }')"
  expect "shortcut key path" "Registry" "$(table Component | awk -F '\t' '$1 == "Shortcut" && $6 != "" { print "Registry" }')"
  expect "icon" "faxwiz.ico|00000100" \
    "$(table Icon | cut -f1)|$(msiinfo extract "$msi" Icon.faxwiz.ico | head -c 4 | od -An -tx1 | tr -d ' \n')"
  expect "faxwiz.exe version" "$(package_version "$msi")" \
    "$(table File | awk -F '\t' '$1 == "faxwiz.exe" { print $5 }')"
  expect "programs without version and language" "" "$(table File |
    awk -F '\t' '$3 ~ /(\.exe|\.dll|FXWRES\.[A-Z]+)$/ && ($5 !~ /^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$/ || $6 !~ /^[0-9]+$/) { print $1 }')"
  expect "versioned files with a hash" "" "$(table File | awk -F '\t' '$5 ~ /^[0-9.]+$/ { print $1 }' | grep -xFf - <(table MsiFileHash | cut -f1))"
  expect "texts not following faxwiz.exe" "corvfax.ini" "$(table File | awk -F '\t' '$5 == "" { print $1 }')"
  expect "paths of more than one component, but for languages" "" "$(
    table Component | awk -F '\t' '{ print $1 "\t" $3 "\t" $5 }' | LC_ALL=C sort >"$work/components"
    table File | awk -F '\t' '{ name = $3; sub(/.*\|/, "", name); print $2 "\t" name }' | LC_ALL=C sort |
      LC_ALL=C join -t $'\t' - "$work/components" |
      awk -F '\t' '{ path = $3 "/" $2; n[path]++; if ($4 !~ /^LANGUAGE = "[A-Z]+"$/ || seen[path, $4]++) bad[path] = 1 }
        END { for (p in n) if (n[p] > 1 && bad[p]) print p }')"
  expect "components without a key path" "" "$(table Component | awk -F '\t' '$6 == "" { print $1 }')"
  msiinfo suminfo "$msi" | matches '^Template: x64' || expect "64-bit searches" "" "$(table RegLocator | awk -F '\t' 'int($5 / 16) % 2 { print $1 }')"
  local name secure
  secure=$(table Property | awk -F '\t' '$1 == "SecureCustomProperties" { print ";" $2 ";" }')
  for name in $(table Upgrade | cut -f7) INSTALLDIR LANGUAGE RUNWIZARD RUNREGISTRATION FAXANSWERS; do
    [[ $secure == *";$name;"* ]] || fail "$name is not a secure property"
  done
  for name in MsiLogging=voicewarmupx ARPHELPLINK=https:// ARPURLINFOABOUT=https:// ARPCONTACT=Kelvaro; do
    table Property | matches "^${name%%=*}"$'\t'"${name#*=}" || fail "no property ${name%%=*} of ${name#*=}"
  done
  signed "$msi"
  msiinfo extract "$msi" Binary.SetupActions >"$work/setupactions.dll"
  signed "$work/setupactions.dll"
}

case_install() {
  local language=$1
  if [ "$language" = ENU ]; then
    check_tables "$WIZ_MSI"
    # One byte changed breaks a program's signature.
    cp "$WIZ_STAGE/faxwiz.exe" "$work/changed.exe"
    printf "\\x$(printf %02x $((($(od -An -tu1 -j1100 -N1 "$work/changed.exe") + 1) % 256)))" |
      dd of="$work/changed.exe" bs=1 seek=1100 conv=notrunc 2>/dev/null
    (failures=0; signed "$work/changed.exe"; [ $failures = 1 ]) >/dev/null || fail "a changed faxwiz.exe still verifies"
  fi
  user_locale "$language"
  msi_install "$msi" LANGUAGE="$language" || fail "msiexec /i ended with $?"
  expect_installed "$default_folder" "$language"
  expect_policy_templates "$default_folder"
  haskey "$product_key\\Devices" && fail "the package registered printers"
  expect "RunSetupWizard" "1" "$(regval "$product_key\\Install" RunSetupWizard)"
  expect "RunRegistration" "1" "$(regval "$product_key\\Install" RunRegistration)"
  walk_road "${default_folder}faxwiz.exe"
}

case_default_language() {
  local run locale expected property
  # locale of the system (Wine takes it from the locale it runs under),
  # language installed: languages with a module, the same languages
  # elsewhere, and one without a module; a LANGUAGE given in lower case.
  for run in "de_DE DEU" "de_AT DEU" "en_GB ENU" "ja_JP JPN" "fr_CA FRA" "es_MX ESP" "pt_BR ENU" \
             "en_US DEU LANGUAGE=deu"; do
    read -r locale expected property <<<"$run"
    wiz_wineserver -k >/dev/null 2>&1
    # shellcheck disable=SC2086
    MSI_LOCALE=$locale.UTF-8 msi_install "$msi" $property || fail "$locale: msiexec /i ended with $?"
    expect "$locale: Language" "$expected" "$(regval "$product_key\\Env" Language)"
    cmp -s "$WIZ_STAGE/text/$expected/summary.ini" "$(unix "$default_folder")/Data/summary.ini" ||
      fail "$locale: not the $expected summary template"
    wiz_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || fail "$locale: msiexec /x ended with $?"
  done
  wiz_wineserver -k >/dev/null 2>&1
}

# install_into <folder (Windows, ending in \)>
install_into() {
  local folder=$1
  msi_install "$msi" INSTALLDIR="$folder" LANGUAGE=ENU || fail "msiexec /i into $folder ended with $?"
  expect_installed "$folder" ENU
  [ ! -e "$(unix "$default_folder")" ] || fail "the default folder was made as well"
  walk_road "${folder}faxwiz.exe"
}

# squashed <GUID>: the GUID as the installer's registry keys write it.
squashed() {
  local g=${1//[\{\}-]/}
  echo "$(rev <<<"${g:0:8}")$(rev <<<"${g:8:4}")$(rev <<<"${g:12:4}")$(sed 's/\(.\)\(.\)/\2\1/g' <<<"${g:16}")"
}
# keep_upgrade_code <package>: Wine's removal of the older version deletes
# the upgrade code's key whole, where Windows removes only that version's
# value; the installed version is put back under it, as Windows leaves it,
# so the next package finds it.
keep_upgrade_code() {
  local codes
  codes=($(msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "UpgradeCode" { u = $2 } $1 == "ProductCode" { p = $2 } END { print u, p }'))
  wiz_wine reg add "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\$(squashed "${codes[0]}")" \
    /v "$(squashed "${codes[1]}")" /f >/dev/null 2>&1
}

case_upgrade() {
  local folder='C:\Fax Programs\Corvantis\'
  local oldest previous older=(${WIZ_OLDER_MSIS//:/ })
  previous=$(wiz_winepath -w "${older[0]}")
  oldest=$(wiz_winepath -w "${older[1]}")
  MSI_LOCALE=en_US.UTF-8 msi_install "$oldest" INSTALLDIR="$folder" LANGUAGE=DEU ||
    fail "the oldest version did not install ($?)"
  expect_installed "$folder" DEU "${older[1]}"
  walk_road "${folder}faxwiz.exe"
  local dir sums_before sums_after
  dir=$(unix "$folder")
  # What the person's setup stored: the product INI, the summary, the
  # registration INI and the device.
  stored() {
    (cd "$drive_c" && md5sum "${dir#"$drive_c"/}/Data/corvfax.ini" "${dir#"$drive_c"/}/Data/summary.txt" \
      windows/KLCV_REG.INI ProgramData/Kelvaro/DeviceSim/* 2>&1)
  }
  # The product's registry tree but for the version the package states.
  tree() {
    wiz_wine reg query "$product_key" /s 2>&1 | tr -d '\r' | grep -v '^ *Version *REG_SZ'
  }
  sums_before=$(stored)
  # A printer registered after the install, made the default by the person.
  local name
  for name in "Model=Corvantis MF 4420" Derivative=8 FWRev=3.03.01 PortID=3 CountryCode=49; do
    wiz_wine reg add "$product_key\\Devices\\79" /v "${name%%=*}" /d "${name#*=}" /f >/dev/null 2>&1
  done
  wiz_wine reg add "$product_key\\Devices\\0" /v DefDevID /d 79 /f >/dev/null 2>&1
  local tree_before
  tree_before=$(tree)
  echo "$tree_before" | matches 'Devices\\79$' || fail "the test could not register device 79"

  # The previous version over the oldest: every file replaced.
  MSI_LOCALE=en_US.UTF-8 msi_install "$previous" || fail "the upgrade to the previous version ended with $?"
  keep_upgrade_code "${older[0]}"
  expect_installed "$folder" DEU "${older[0]}"
  expect "stored settings after the first upgrade" "$sums_before" "$(stored)"
  expect "registry after the first upgrade" "$tree_before" "$(tree)"

  # An upgrade that fails inside its installation: the previous version stays
  # as it was, registered, configured and with its files.
  local rc=0
  MSI_LOCALE=en_US.UTF-8 msi_install "$(wiz_winepath -w "$WIZ_FAILING_MSI")" || rc=$?
  [ $rc != 0 ] || fail "the failing package installed"
  expect "registry after the failed upgrade" "$tree_before" "$(tree)"
  expect "stored settings after the failed upgrade" "$sums_before" "$(stored)"
  expect_installed "$folder" DEU "${older[0]}"

  # Another folder or language on an upgrade is refused; nothing changes.
  local property
  for property in INSTALLDIR='C:\Elsewhere\' LANGUAGE=ENU; do
    rc=0
    MSI_LOCALE=en_US.UTF-8 msi_install "$msi" "$property" || rc=$?
    [ $rc != 0 ] || fail "an upgrade with $property was not refused"
    expect_installed "$folder" DEU "${older[0]}"
  done
  [ ! -e "$drive_c/Elsewhere" ] || fail "the refused upgrade made the other folder"

  # This version, without properties, by a user of another language.
  MSI_LOCALE=en_US.UTF-8 msi_install "$msi" || fail "the upgrade ended with $?"
  keep_upgrade_code "$WIZ_MSI"
  expect_installed "$folder" DEU
  [ ! -e "$(unix "$default_folder")" ] || fail "the upgrade went to the default folder"
  expect "stored settings after the upgrade" "$sums_before" "$(stored)"
  expect "registry after the upgrade" "$tree_before" "$(tree)"
  expect "RunSetupWizard after the upgrade" "0" "$(regval "$product_key\\Install" RunSetupWizard)"
  expect "RunRegistration after the upgrade" "0" "$(regval "$product_key\\Install" RunRegistration)"

  # A rebuild of this version (another product code) is refused.
  cp "$WIZ_MSI" "$work/rebuild.msi"
  msibuild "$work/rebuild.msi" -q "UPDATE Property SET Value = '{7E0D6A21-3B4C-4D5E-8F90-A1B2C3D4E5F6}' WHERE Property = 'ProductCode'"
  rc=0
  msi_install "$(wiz_winepath -w "$work/rebuild.msi")" || rc=$?
  [ $rc != 0 ] || fail "a package of the installed version was not refused"
  expect_installed "$folder" DEU

  # A repair writes the package's values again and nothing else.
  wiz_wine msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=omus /qn >/dev/null 2>&1 || fail "the repair ended with $?"
  expect "registry after the repair" "$tree_before" "$(tree)"
  expect "stored settings after the repair" "$sums_before" "$(stored)"
  expect_installed "$folder" DEU
}

case_uninstall() {
  msi_install "$msi" LANGUAGE=ENU || fail "msiexec /i ended with $?"
  local dir
  dir=$(unix "$default_folder")
  [ -n "$(shortcut)" ] || fail "no shortcut to remove"
  [ -f "$dir/Policies/corvantis-fax.admx" ] || fail "no policy template to remove"
  # What the person has by then: their settings and a summary.
  printf 'UserName=Kept Person\r\n' >>"$dir/Data/corvfax.ini"
  printf 'Fax Setup Summary\r\n' >"$dir/Data/summary.txt"
  # The product's own log of its registration program: not the person's.
  printf 'registered\r\n' >"$dir/Data/registration.log"
  local ini
  ini=$(cat "$dir/Data/corvfax.ini")
  wiz_wine reg add "$product_key\\Devices\\79" /v Model /d Added /f >/dev/null 2>&1

  wiz_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || fail "msiexec /x ended with $?"
  local name
  for name in $(staged_programs) prodinfo.ini Data/summary.ini HELP/README.TXT $(policy_templates); do
    [ ! -e "$dir/$name" ] || fail "$name is still there"
  done
  [ ! -e "$dir/HELP" ] || fail "the HELP folder is still there"
  [ ! -e "$dir/Policies" ] || fail "the Policies folder is still there"
  [ -z "$(shortcut)" ] || fail "the shortcut is still there"
  [ -z "$(menu_folder)" ] || fail "the Start menu folder is still there"
  haskey "$product_key" && fail "the product's registry tree is still there"
  haskey 'HKLM\Software\Kelvaro\Links\9936' && fail "the registration link is still there"
  expect "Add/Remove Programs after uninstall" "" "$(arp_entries)"
  expect "corvfax.ini after uninstall" "$ini" "$(cat "$dir/Data/corvfax.ini" 2>&1)"
  [ -f "$dir/Data/summary.txt" ] || fail "summary.txt went"
  [ ! -e "$dir/Data/registration.log" ] || fail "registration.log is still there"
}

# setup_running <seconds>: the wizard has started ("SetupRun" = 1) within them.
setup_running() {
  local ini
  ini="$(unix "$default_folder")/Data/corvfax.ini"
  for _ in $(seq "$1"); do
    grep -q '^SetupRun=1' "$ini" 2>/dev/null && return 0
    sleep 1
  done
  return 1
}

case_interactive() {
  # msiexec returns once the wizard is started, if it is.
  wiz_wine msiexec /i "$msi" RUNWIZARD=0 >/dev/null 2>&1 || fail "msiexec /i RUNWIZARD=0 ended with $?"
  setup_running 3 && fail "the wizard started with RUNWIZARD=0"
  wiz_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || fail "msiexec /x ended with $?"
  # The administrator's policy turns the wizard off: the install does not
  # start it, and its log says why.
  local policy='HKLM\Software\Policies\Kelvaro\Corvantis\Fax'
  wiz_wine reg add "$policy" /v DisableWizard /t REG_DWORD /d 1 /f >/dev/null 2>&1 ||
    fail "the test could not set the policy"
  wiz_wine msiexec /i "$msi" /lv 'C:\windows\temp\policy.log' >/dev/null 2>&1 || fail "msiexec /i with the policy ended with $?"
  install_log policy | matches "^StartWizard: not started: the administrator's policy DisableWizard" ||
    fail "the install log does not say that the policy kept the wizard from starting"
  setup_running 1 && fail "the wizard started though the policy turns it off"
  wiz_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || fail "msiexec /x ended with $?"
  wiz_wine reg delete "$policy" /f >/dev/null 2>&1
  wiz_wine msiexec /i "$msi" /lv 'C:\windows\temp\interactive.log' >/dev/null 2>&1 || fail "msiexec /i ended with $?"
  setup_running 30 || fail "the wizard did not start at the end of the interactive install"
  # Started through the shell, which asks for the wizard's rights on Windows; the log says so.
  install_log interactive | matches '^StartWizard: started .*faxwiz.exe$' ||
    fail "the install log does not say that the wizard was started"
  wiz_wineserver -k >/dev/null 2>&1
}

# seed_printer: the demo's printers registered, device 77 as it left the
# factory (and its journal emptied), before the product comes.
seed_printer() {
  register_printers
  local step
  for step in "remove 77" "init 77" "info 77 17 1" "param 77 15 2" "param 77 16 5"; do
    # shellcheck disable=SC2086
    wiz_wine "$WIZ_BINARY_DIR/bin/devtool.exe" $step >/dev/null 2>&1
  done
}

# expect_configured <what> <name> <fax number> <dedicated>: what a finished
# setup stores, in the product INI, the registration INI, the marks, the
# printer and the summary.
expect_configured() {
  local what=$1 name=$2 fax=$3 dedicated=$4 dir
  dir=$(unix "$default_folder")
  expect "$what: UserName" "UserName=$name" "$(grep -a '^UserName=' "$dir/Data/corvfax.ini" | tr -d '\r')"
  expect "$what: FaxNumber" "FaxNumber=$fax" "$(grep -a '^FaxNumber=' "$dir/Data/corvfax.ini" | tr -d '\r')"
  expect "$what: DedicatedLine" "DedicatedLine=$dedicated" "$(grep -a '^DedicatedLine=' "$dir/Data/corvfax.ini" | tr -d '\r')"
  grep -aq "^UserName=$name" "$drive_c/windows/KLCV_REG.INI" || fail "$what: no name in KLCV_REG.INI"
  wiz_wine "$WIZ_BINARY_DIR/bin/devtool.exe" journal 77 2>&1 | matches -F "object 31 type 4 length ${#fax} value \"$fax\"" ||
    fail "$what: the printer did not get the fax number"
  grep -aqF "$name" "$dir/Data/summary.txt" 2>/dev/null || fail "$what: no summary.txt with the name"
  expect "$what: RunSetupWizard" "0" "$(regval "$product_key\\Install" RunSetupWizard)"
}

# The printer's state without its journal, and the registration INI.
fax_state() {
  wiz_wine "$WIZ_BINARY_DIR/bin/devtool.exe" show 77 2>&1 | tr -d '\r' | grep -v '^WritesSeen='
  cat "$drive_c/windows/KLCV_REG.INI" 2>/dev/null
}

case_configure() {
  local dir rc
  dir=$(unix "$default_folder")
  seed_printer
  msi_install "$msi" LANGUAGE=ENU FAXUSERNAME="Dana Whitfield" FAXCOMPANY="'Whitfield Print'" \
    FAXNUMBER="+1 555 0100" VOICENUMBER="+1 555 0199" FAXLINE=dedicated PCMODEM=0 DEVICEOPTION=1 ||
    fail "the install with answers ended with $?"
  expect_configured "properties" "Dana Whitfield" "+1 555 0100" 1
  # Quotes of a value are its own: written so that reading keeps them.
  grep -aqF "Company=\"'Whitfield Print'\"" "$dir/Data/corvfax.ini" || fail "the company lost its quotes"
  # A repair or maintenance run changes no fax setting, whatever it carries.
  local before
  before=$(fax_state; cat "$dir/Data/corvfax.ini")
  msi_install "$msi" REINSTALL=ALL REINSTALLMODE=omus FAXNUMBER="+1 555 0666" FAXUSERNAME=Mallory \
    /lv 'C:\windows\temp\repair.log' || fail "the repair ended with $?"
  expect "a repair with answers" "$before" "$(fax_state; cat "$dir/Data/corvfax.ini")"
  install_log repair | matches 'ConfigureFax: the fax answers were not applied: this run repairs' ||
    fail "the repair's log does not say that the answers were not applied"
  wiz_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || fail "msiexec /x ended with $?"
  rm -f "$dir/Data/corvfax.ini" "$dir/Data/summary.txt"

  # An answer file named as it lies beside the package, in a folder with
  # blanks; this PC's section (its name in small letters) over [Fax], and a
  # property over both.
  local pc
  pc=$(wiz_wine cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r' | tr '[:upper:]' '[:lower:]')
  mkdir -p "$drive_c/Fax Answers"
  printf '[Fax]\r\nUserName=Front Desk\r\nFaxNumber=+1 555 0177\r\nDedicatedLine=No\r\nTAM=1\r\n[Fax:%s]\r\nUserName=Reception\r\n[Fax:OTHER-PC]\r\nUserName=Nobody\r\n' \
    "$pc" >"$drive_c/Fax Answers/office.ini"
  cp "$WIZ_MSI" "$drive_c/Fax Answers/fax setup.msi"
  seed_printer
  msi_install 'C:\Fax Answers\fax setup.msi' LANGUAGE=ENU FAXANSWERS=office.ini FAXNUMBER="+1 555 0188" ||
    fail "the install with an answer file ended with $?"
  expect_configured "answer file" "Reception" "+1 555 0188" 0
  expect "the installer's status" "installer" "$(regval "$product_key\\Status" By)"
  # The answers and the backup were the system account's alone, and are gone.
  [ -z "$(find "$drive_c" -maxdepth 5 -name 'CorvantisFax-*')" ] || fail "the answers' folder was left"
  wiz_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || fail "msiexec /x ended with $?"
  rm -f "$dir/Data/corvfax.ini" "$dir/Data/summary.txt"

  # A line break in a property is refused by name before anything is installed.
  rm -rf "$drive_c/Program Files/Kelvaro"
  rc=0
  msi_install "$msi" LANGUAGE=ENU FAXCOMPANY="$(printf 'Acme\r\n[Fax]\r\nFaxNumber=1')" \
    FAXNUMBER="+1 555 0100" /lv 'C:\windows\temp\control.log' || rc=$?
  [ $rc != 0 ] || fail "a line break in FAXCOMPANY was installed"
  install_log control | matches 'refused FAXCOMPANY: it holds a control character' ||
    fail "the install log does not name the property with a line break"
  expect_nothing_installed "a line break in a property"

  # A number the field would not take: the install fails and leaves nothing.
  rc=0
  msi_install "$msi" LANGUAGE=ENU FAXUSERNAME="Dana Whitfield" FAXNUMBER="555 CALL FAX" \
    /lv 'C:\windows\temp\configure.log' || rc=$?
  [ $rc != 0 ] || fail "a refused answer was installed"
  # Wine's rollback keeps the files of a permanent component (the product
  # INI as the package brings it); Windows' removes what the install made.
  expect "left by the rolled back install" "Data/corvfax.ini" \
    "$(cd "$dir" 2>/dev/null && find . -type f | sed 's|^\./||')"
  cmp -s "$WIZ_STAGE/corvfax.ini" "$dir/Data/corvfax.ini" && rm -rf "$drive_c/Program Files/Kelvaro"
  expect_nothing_installed "a refused answer"
  install_log configure | matches 'refused FAXNUMBER (FaxNumber)' ||
    fail "the install log does not name the refused property"

  # Configured, then the install fails after it: the printer and the
  # registration INI are as they were before.
  seed_printer
  before=$(fax_state)
  rc=0
  msi_install "$(wiz_winepath -w "$WIZ_FAILING_MSI")" LANGUAGE=ENU FAILLATE=1 FAXUSERNAME="Dana Whitfield" \
    FAXNUMBER="+1 555 0100" /lv 'C:\windows\temp\late.log' || rc=$?
  [ $rc != 0 ] || fail "the package failing after the configuration was installed"
  install_log late | matches 'ConfigureFax: faxcfg: .*stored in printer 77$' ||
    fail "the failing package did not configure the printer first"
  install_log late | matches 'RollbackFax: put back the fax settings stored before the install' ||
    fail "the rollback did not put back the fax settings"
  expect "after a rolled back configuration" "$before" "$(fax_state)"
  rm -rf "$drive_c/Program Files/Kelvaro"

  # A printer that does not answer in time: faxcfg is ended, the install
  # fails. An empty [Fax] (every answer held by a policy) is an answer file.
  seed_printer
  wiz_wine "$WIZ_BINARY_DIR/bin/devtool.exe" delay 77 60000 >/dev/null 2>&1
  printf '[Fax]\r\n' >"$drive_c/Fax Answers/empty.ini"
  rc=0
  msi_install "$msi" LANGUAGE=ENU FAXANSWERS='C:\Fax Answers\empty.ini' FAXNUMBER="+1 555 0100" FAXTIMEOUT=3 \
    /lv 'C:\windows\temp\slow.log' || rc=$?
  [ $rc != 0 ] || fail "an install whose printer never answered ended well"
  install_log slow | matches 'faxcfg did not end within 3 seconds' ||
    fail "the install log does not say that faxcfg took too long"
  wiz_wineserver -k >/dev/null 2>&1
}

# Nothing of the product after a refused install.
expect_nothing_installed() {
  [ ! -e "$drive_c/Program Files/Kelvaro" ] || fail "$1: a program folder was left"
  haskey "$product_key" && fail "$1: a registry tree was left"
  haskey 'HKLM\Software\Kelvaro\Links\9936' && fail "$1: a registration link was left"
  expect "$1: Add/Remove Programs" "" "$(arp_entries)"
}

case_refused() {
  # The run command's install step with a package that cannot be read.
  head -c 65536 "$WIZ_MSI" >"$work/broken.msi"
  local err status=0
  err=$(WIZ_MSI="$work/broken.msi" "$WIZ_SOURCE_DIR/scripts/install-demo.sh" "$WINEPREFIX" "$WIZ_BINARY_DIR" ENU 2>&1 >/dev/null) ||
    status=$?
  [ $status != 0 ] || fail "install-demo.sh ended well with a broken package"
  echo "$err" | matches "could not be installed" || fail "no clear message: $err"
  expect_nothing_installed "broken package"

  # A language the package has no module for.
  local rc=0
  msi_install "$msi" LANGUAGE=XYZ || rc=$?
  [ $rc != 0 ] || fail "LANGUAGE=XYZ was installed"
  expect_nothing_installed "LANGUAGE=XYZ"

  # The x86 and the x64 package keep the product in different registry views
  # and folders: neither replaces the other, whichever came first.
  if [ "$WIZ_ARCH" = x86_64 ]; then
    if [ ! -f "${WIZ_OTHER_MSI:-}" ]; then
      fail "no x86 package beside this build (${WIZ_OTHER_MSI:-none}): build the i686 folder first"
      return
    fi
    check_tables "$WIZ_OTHER_MSI" "$(dirname "$WIZ_OTHER_MSI")/signing/test-root.pem"
    # Wine's msiexec logs no launch condition's message: the package's own.
    local -A package=([x86]="$(wiz_winepath -w "$WIZ_OTHER_MSI")" [x64]="$msi")
    local name
    for name in "$WIZ_OTHER_MSI" "$WIZ_MSI"; do
      msiinfo export "$name" LaunchCondition | matches 'for the other kind of Windows programs' ||
        fail "$(basename "$name") has no clear message for the other architecture's product"
    done
    local first other before
    for first in x86 x64; do
      other=x64
      [ $first = x64 ] && other=x86
      msi_install "${package[$first]}" LANGUAGE=ENU || fail "the $first package did not install ($?)"
      before=$(arp_entries)
      rc=0
      msi_install "${package[$other]}" LANGUAGE=ENU || rc=$?
      [ $rc != 0 ] || fail "the $other package replaced the $first one"
      expect "the $first product after the $other package" "$before" "$(arp_entries)"
      wiz_wine msiexec /x "${package[$first]}" /qn >/dev/null 2>&1 || fail "the $first package could not be removed"
    done
  fi
}

case ${1:-} in
  install) case_install "${2:?language}" ;;
  default-language) case_default_language ;;
  folder-blanks) install_into 'C:\Fax Setup Programs\Corvantis Fax\' ;;
  folder-dbcs)
    [ "$(LC_ALL=ja_JP.UTF-8 locale charmap 2>/dev/null)" = UTF-8 ] || { echo "no ja_JP.UTF-8 locale"; exit 1; }
    export LC_ALL=ja_JP.UTF-8
    ansi=CP932
    wiz_wineserver -k >/dev/null 2>&1
    # "表" ends in the byte 0x5C in code page 932.
    install_into 'C:\Program Files\Kelvaro\コルヴァンティス 表\'
    ;;
  upgrade) case_upgrade ;;
  uninstall) case_uninstall ;;
  refused) case_refused ;;
  interactive) case_interactive ;;
  configure) case_configure ;;
  *) echo "usage: $0 install <language> | default-language | folder-blanks | folder-dbcs | upgrade | uninstall | refused | interactive | configure" >&2; exit 2 ;;
esac

if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "passed"
