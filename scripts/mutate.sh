#!/usr/bin/env bash
# Fault injection: puts each named fault, the kind a careless change makes, into a copy of the tree, builds
# it and runs the tests that should notice; prints "caught", "SURVIVED" or "STALE" (the fault no longer
# applies, does not build, or its tests ran nothing) per fault. Exit 0 only when every fault was caught.
# Slow (a build and a test run per fault): not part of the test command.
# Usage: scripts/mutate.sh [NAME...]     (every fault by default; --list names them)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${MUTATE_DIR:-$root/build-mutate}

# fault NAME FILE FROM TO TEST FILTER: FROM must stand in FILE exactly once; TEST is a ctest name, FILTER
# a GoogleTest filter for it.
names=() files=() froms=() tos=() tests=() filters=()
fault() {
  names+=("$1") files+=("$2") froms+=("$3") tos+=("$4") tests+=("$5") filters+=("$6")
}

# The plug-in: reading, writing, texts, deletion, the folder watch, the purge.
fault reader-keeps-writers-out src/Norquill/DayRecordRead.cpp \
  'FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,' \
  'FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,' norquill_tests 'LogReadTest.*'
fault reader-stops-at-ffff src/Norquill/LogLineReader.cpp \
  "L'\\n', L'\\0', L'\\0')" "L'\\n', L'\\xFFFF', L'\\0')" norquill_tests 'LogReadTest.*'
fault escape-dropped src/Norquill/LogLine.cpp \
  'encoded += Escape;' 'encoded += L"";' norquill_tests 'LogLineTest.*'
fault ffff-written-raw src/Norquill/LogLine.cpp \
  "{L'\\xFFFF', L'\\xF0FF'}" "{L'\\xFFFE', L'\\xF0FF'}" e2e_tests 'TextSafetyTest.*'
fault escape-not-decoded src/Norquill/LogLine.cpp \
  'if (c == Escape && i + 1 < text.size() && IsSpecial(text[i + 1]))' 'if (false)' norquill_tests 'LogLineTest.*'
fault cut-splits-pairs src/Norquill/LogLine.cpp \
  'const size_t step = pair ? 2 : 1;' 'const size_t step = 1;' norquill_tests 'LogLine*'
fault line-limit-off-by-one src/Norquill/LogLine.h \
  'MaxChars = 2046;' 'MaxChars = 2047;' norquill_tests 'LogLineTest.*'
fault end-repair-dropped src/Norquill/DayAppend.cpp \
  'if (DayLineRules::LineBeginsAfter(last, static_cast<ULONGLONG>(length) / 2 - 1))' 'if (true)' norquill_tests \
  'LogWriteTest.*'
fault overlong-tail-taken src/Norquill/DayLineRules.h \
  'if (!m_complete)' 'if (false)' norquill_tests 'LogReadTest.*'
fault failed-append-kept src/Norquill/DayAppend.cpp \
  'if (!file.Truncate(length, &error))' 'if (false)' norquill_tests 'LogWriteTest.*'
fault mark-on-every-append src/Norquill/DayAppend.cpp \
  'const size_t skip = isNew ? 0 : 1;' 'const size_t skip = 0;' norquill_tests 'LogWriteTest.*:LogKindsTest.*'
fault copy-past-member src/Norquill/LineFields.cpp \
  "for (; i + 1 < limit && text[i] != L'\\0'; ++i)" "for (; i < limit && text[i] != L'\\0'; ++i)" \
  norquill_tests 'LogKindsTest.*:LogReadTest.*'
fault delete-keeps-name src/Norquill/LogPurge.cpp \
  'if (DWORD error = DeleteDayFile(path))' 'if (DWORD error = DeleteLogFile(path))' e2e_tests \
  'RecordsConcurrencyTest.DayDeleted*'
fault moved-aside-left src/Norquill/LogPurge.cpp \
  'if (IsDoomed(name, length))' 'if (false)' e2e_tests 'RecordsConcurrencyTest.DayDeleted*'
fault retry-gives-up-at-once src/Common/KvCommon/KvComn_SharingRetry.cpp \
  'if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&' \
  'if (error != ERROR_LOCK_VIOLATION &&' kvcommon_tests '*'
fault watch-deleted-meanwhile src/Common/KvCommon/KvComn_RegistryWatch.cpp \
  'nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)' 'nullptr, nullptr, nullptr, nullptr) == 12345)' \
  norquill_tests 'LogFolderTest.*'
fault watch-second-look src/Common/KvCommon/KvComn_RegistryWatch.cpp \
  'else if (Open(m_path, m_key) == ERROR_SUCCESS &&' 'else if (false &&' norquill_tests 'LogFolderTest.*'
fault purge-age-wraps src/Norquill/LogPurgeRules.h \
  'if (days > value / kDayInFileTime)' 'if (false)' e2e_tests 'PurgeAgesTest.*'

# nqhost: the line judgement, ids, filters, what reaches a terminal, folders, cursors and outputs.
fault damaged-line-shown tools/nqhost/feed/DayRead.cpp \
  'if (line && !line->damaged)' 'if (line)' nqhost_tests 'NqHostFilter.*:NqHostLogs.*'
fault ids-same-on-every-machine tools/nqhost/feed/DayFeed.cpp \
  'EventId::Hash(m_seed, ' 'EventId::Hash(0, ' nqhost_tests 'NqHostMonth.*'
fault id-without-offset tools/nqhost/records/EventId.cpp \
  'static_cast<unsigned long long>(offset), hash);' '0ull, hash);' nqhost_tests 'NqHostFilter.Damaged*'
fault match-ascii-only tools/nqhost/feed/RecordFilter.cpp \
  'static_cast<int>(bLength), TRUE) ==' 'static_cast<int>(bLength), FALSE) ==' nqhost_tests 'NqHostFilter.*'
fault unknown-field-quiet tools/nqhost/feed/RecordFilter.cpp \
  'throw UsageError{L"--where " + name + L": no such field in " +' \
  'return {name, false}; throw UsageError{L"--where " + name + L": no such field in " +' nqhost_tests \
  'NqHostUsage.*'
fault format-characters-raw tools/nqhost/Text.cpp \
  '{0x200B, 0x200F},   {0x2028, 0x202E},' '{0x200B, 0x200B},   {0x202A, 0x202E},' nqhost_tests \
  'NqHostInjection.*'
fault backslash-not-doubled tools/nqhost/Text.cpp \
  "if (c == L'\\\\' && doubleBackslashes)" 'if (false)' nqhost_tests 'NqHostInjection.*'
fault missing-folder-quiet tools/nqhost/commands/ExportCommand.cpp \
  'if (!walk.Usable(context.output))' 'if (false)' nqhost_tests 'NqHostLogs.*'
fault cursor-output-truncated tools/nqhost/commands/ExportCommand.cpp \
  'stream.Open(outputPath, cursor.Persistent())' 'stream.Open(outputPath, false)' nqhost_tests 'NqHostExport.*'
fault broken-pipe-exit-0 tools/nqhost/commands/TailCommand.cpp \
  'if (!written)' 'if (false)' nqhost_tests 'NqHostTail.AFollow*'
fault late-writer-missed tools/nqhost/commands/TailCommand.cpp \
  'kLateWriterMs = 5000;' 'kLateWriterMs = 0;' nqhost_tests 'NqHostTail.ALateWriter*'
fault utf16-batch-unnamed tools/nqhost/commands/BatchStore.cpp \
  'if (!marked && !unmarked)' 'if (true)' nqhost_tests 'NqHostStore.*'
fault seal-run-vouched-by-later-key tools/nqhost/seal/SealVerifier.cpp \
  'seals[sealed[k]].epoch == seals[sealed[k - 1]].epoch;' 'true;' nqhost_tests 'NqHostSeal.EachTampering*'
fault link-padding-bit-dropped tools/nqhost/seal/LinkHash.cpp \
  'block[held++] = 0x80;' 'block[held++] = 0;' nqhost_tests 'LinkHash.*'

# Whether FROM stands in the file exactly once; with TO, puts the fault in.
apply() {
  FROM=$2 TO=${3-} perl -0777 -i -pe \
    'BEGIN { $n = 0 } $n += () = /\Q$ENV{FROM}\E/g; s/\Q$ENV{FROM}\E/$ENV{TO}/ if defined $ENV{TO};
     END { exit($n == 1 ? 0 : 3) }' "$1"
}
case "${1:-}" in
  --list)
    printf '%s\n' "${names[@]}"
    exit 0 ;;
  --check) # each fault still applies to the tree as it is, without building anything
    bad=0
    for i in "${!names[@]}"; do
      tmp=$(mktemp)
      cp "$root/${files[$i]}" "$tmp"
      apply "$tmp" "${froms[$i]}" || { echo "STALE    ${names[$i]}: its text is not in ${files[$i]} exactly once"; bad=1; }
      rm -f "$tmp"
    done
    exit $bad ;;
esac
wanted=("$@")
selected() {
  [ ${#wanted[@]} -eq 0 ] && return 0
  local w
  for w in "${wanted[@]}"; do [ "$w" = "$1" ] && return 0; done
  return 1
}

"$root/scripts/setup.sh"
# A copy of the tree as it is now, tracked and new files alike, and a build of its own.
rm -rf "$work/tree"
mkdir -p "$work/tree"
(cd "$root" && git ls-files -z -co --exclude-standard | tar --null -T - -cf -) | tar -C "$work/tree" -xf -
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$work/tree" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$work/tree/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}" >/dev/null
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || { echo "the unchanged tree does not build" >&2; exit 2; }
BUILD_DIR="$work/build" "$root/scripts/setup-tests.sh"

# run TEST FILTER LOG: 0 when the tests passed, 1 when they failed, 2 when they ran nothing.
run() {
  local status=0
  GTEST_FILTER="$2" ctest --test-dir "$work/build" -R "^$1\$" -V >"$3" 2>&1 || status=1
  grep -q '\[==========\] [1-9][0-9]* tests\? from' "$3" || return 2
  return $status
}

caught=0 survived=0 stale=0
for i in "${!names[@]}"; do
  name=${names[$i]} file="$work/tree/${files[$i]}"
  selected "$name" || continue
  log="$work/$name.log"
  cp "$file" "$file.orig"
  if ! apply "$file" "${froms[$i]}" "${tos[$i]}"; then
    echo "STALE    $name: its text is not in ${files[$i]} exactly once"
    stale=$((stale + 1))
  elif ! cmake --build "$work/build" -j2 >"$log" 2>&1; then
    echo "STALE    $name: does not build (see $log)"
    stale=$((stale + 1))
  else
    status=0
    run "${tests[$i]}" "${filters[$i]}" "$log" || status=$?
    case $status in
      1) echo "caught   $name"; caught=$((caught + 1)) ;;
      2) echo "STALE    $name: ${tests[$i]} ran no test for ${filters[$i]} (see $log)"; stale=$((stale + 1)) ;;
      *) echo "SURVIVED $name: ${tests[$i]} ${filters[$i]} passed with it"; survived=$((survived + 1)) ;;
    esac
  fi
  mv "$file.orig" "$file"
  touch "$file" # newer than what the fault built, so the next build takes it again
done
cmake --build "$work/build" -j2 >/dev/null 2>&1 || true
echo "$caught caught, $survived survived, $stale stale"
[ $survived -eq 0 ] && [ $stale -eq 0 ]
