# The settings from the policy, with MDM-chosen names (read as numbers: 1, 2, 10, 11):
# a Japanese rule, a keyword trap, a line past 249 bytes and a list. pyxen.cfg is there
# but not read. The guard recorded that it refused the last edit.
{
    printf '[64 SOFTWARE\\Policies\\Pyxen]\nSettingsFromPolicy=dword:1\n'
    printf '[64 SOFTWARE\\Policies\\Pyxen\\Settings]\n'
    printf '11=READ games.txt\n10=%s\n2=INTERNET Radio\n1=ソリティア :1\n' "$(printf 'x%.0s' $(seq 1 260))"
    printf '[64 SOFTWARE\\Pyxen\\Guard\\LastApply]\n'
    printf 'Source=policy\nView=64-bit\nFrom=HKLM\\SOFTWARE\\Policies\\Pyxen\\Settings, games.txt\n'
    printf 'Rules=dword:4\nAppliedAt=2026-12-07T08:40:00Z\nResult=refused\n'
    printf 'RefusedAt=2026-12-07T09:00:05Z\nRefusedSource=policy\n'
    printf 'RefusalReason=no rule\n'
} > registry.txt
printf 'Paint\n' > pyxen.cfg
printf 'Minesweeper\n' > games.txt
