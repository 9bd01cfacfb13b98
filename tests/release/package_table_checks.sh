# Sourced by release_msi_test.sh with this.msi built: what only Windows' installer shows, checked
# in the package's tables against Microsoft's documented rules. Wine's msiexec removes the other
# version in a process of its own, outside the transaction, and keeps no rollback of it.

# sequence ACTION: the action's number in InstallExecuteSequence, or "" when it has none.
sequence() { msiinfo export this.msi InstallExecuteSequence | tr -d '\r' | awk -F '\t' -v a="$1" '$1 == a { print $3 }'; }
# action_type ACTION / action_target ACTION: its CustomAction row's Type and Target.
action_type() { msiinfo export this.msi CustomAction | tr -d '\r' | awk -F '\t' -v a="$1" '$1 == a { print $2 }'; }
action_target() { msiinfo export this.msi CustomAction | tr -d '\r' | awk -F '\t' -v a="$1" '$1 == a { print $4 }'; }

# "RemoveExistingProducts Action" and ICE63: immediately after InstallInitialize, the old
# version's removal is part of the new install's transaction (a failure restores it); before
# InstallInitialize it is a transaction of its own, done whatever follows.
initialize=$(sequence InstallInitialize)
remove=$(sequence RemoveExistingProducts)
between=$(msiinfo export this.msi InstallExecuteSequence | tr -d '\r' |
  awk -F '\t' -v lo="$initialize" -v hi="$remove" 'NR > 3 && $3 > lo && $3 < hi { print $1 }')
[ -n "$remove" ] && [ "$remove" -gt "$initialize" ] && [ -z "$between" ] \
  || fail "RemoveExistingProducts ($remove) is not right after InstallInitialize ($initialize)${between:+: $between between}"

# "Custom Action In-Script Execution Options": deferred is msidbCustomActionTypeInScript
# (0x400), rollback adds msidbCustomActionTypeRollback (0x100); msidbCustomActionTypeNoImpersonate
# (0x800) runs it as LocalSystem. A rollback action runs only if the script reached it before
# the failure: it comes before the action it undoes.
while read -r action bits; do
  type=$(action_type "$action")
  [ -n "$type" ] && [ $((type & 0xF00)) = $((bits)) ] || fail "$action has type '$type', expected the bits $bits"
done <<'ROWS'
UnregisterNewTask 0xD00
RegisterTask 0xC00
DeleteTask 0xC00
ROWS
[ "$(sequence UnregisterNewTask)" -lt "$(sequence RegisterTask)" ] || fail "the rollback of the registration comes after it"

# Registered last, deleted last: no action that writes to the script after them can fail and
# roll the install back past them.
finalize=$(sequence InstallFinalize)
after=$(msiinfo export this.msi InstallExecuteSequence | tr -d '\r' |
  awk -F '\t' -v lo="$(sequence RegisterTask)" -v hi="$finalize" 'NR > 3 && $3 > lo && $3 < hi && $1 != "DeleteTask" { print $1 }')
[ -z "$after" ] || fail "actions between the registration and InstallFinalize: $after"

# "System64Folder property": on 64-bit Windows the 32-bit system folder is SystemFolder
# (SysWOW64); a 64-bit package runs the 64-bit schtasks from System64Folder.
expected_schtasks=$([ "$ARCH" = x64 ] && echo '[System64Folder]schtasks.exe' || echo '[SystemFolder]schtasks.exe')
[ "$(action_target FindSchtasks)" = "$expected_schtasks" ] \
  || fail "the $ARCH package runs $(action_target FindSchtasks), expected $expected_schtasks"
