#!/usr/bin/env bash
# The fleet examples as the documents show them: the Ansible play run for
# real against this machine (a local connection, its folders under a
# temporary prefix, the tasks tagged "system" skipped: no user, unit, timer
# or cron file is made here), then its "run" tasks, which run the example
# plan against simulated registers on pseudo-terminals and collect the JSON
# lines. The units are verified with systemd-analyze, and the four places
# that name the user of the scheduled runs must name the same one.
#   fleet_play_test.sh VESTOK_CLI ECRSIM SOURCE_DIR
set -euo pipefail
cli="$1" ecrsim="$2" src="$3"
fleet="$src/docs/fleet"
fail() { echo "fleet play: $*" >&2; exit 1; }

# One user: the package's postinst, the unit, the cron line and the play.
user="$(sed -n 's/^user=//p' "$src/packaging/debian/postinst.in")"
[ -n "$user" ] || fail "the postinst names no user"
grep -qx "User=$user" "$fleet/vestok-cli.service" || fail "the unit runs as another user than $user"
cron_user="$(grep -E '^[0-9*]' "$fleet/cron.d/vestok-cli" | awk '{print $6}')"
[ "$cron_user" = "$user" ] || fail "the cron line runs as '$cron_user', not $user"
grep -qE "^ +vestok_user: $user\$" "$fleet/vestok-fleet.yml" || fail "the play names another user than $user"
for f in "$fleet"/cron.d/*; do
  case "$(basename "$f")" in *.*) fail "cron ignores $(basename "$f"): its name has a dot" ;; esac
done

if ! command -v ansible-playbook >/dev/null; then
  echo "fleet play: ansible-playbook missing (Debian ansible-core; scripts/setup installs it); not run"
  exit 77
fi

work="$(mktemp -d /tmp/vestok-fleet.XXXXXX)"
sims=()
cleanup() {
  for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${sims[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Two lines, as in the example plan: two registers sharing the first, one on
# the second, each preloaded with the sample register.
"$ecrsim" --link "$work/ttyUSB0" --register 1 --load "$src/data/sample" --register 2 --load "$src/data/sample" \
  --quiet >/dev/null 2>&1 &
sims+=($!)
"$ecrsim" --link "$work/ttyUSB1" --variant S --register 1 --load "$src/data/sample" --quiet >/dev/null 2>&1 &
sims+=($!)
for _ in $(seq 100); do [ -e "$work/ttyUSB0" ] && [ -e "$work/ttyUSB1" ] && break; sleep 0.05; done
[ -e "$work/ttyUSB0" ] && [ -e "$work/ttyUSB1" ] || fail "the simulated registers did not start"

# The PC as the package leaves it: the program in its folder.
root="$work/root"
mkdir -p "$root/opt/vestok" "$work/plans"
cp "$cli" "$root/opt/vestok/vestok-cli"
# This store's plan is the example plan with the simulators' lines.
sed -e "s|/dev/ttyUSB0|$work/ttyUSB0|; s|/dev/ttyUSB1|$work/ttyUSB1|" "$fleet/plan.csv" > "$work/plans/plan-localhost.csv"
printf '[stores]\nlocalhost ansible_connection=local ansible_python_interpreter=/usr/bin/python3\n' > "$work/inventory"
cat > "$work/vars.json" <<EOF
{"vestok_program_dir": "$root/opt/vestok", "vestok_config_dir": "$root/etc/vestok",
 "vestok_state_dir": "$root/var/lib/vestok", "vestok_log_dir": "$root/var/log/vestok",
 "vestok_plans": "$work/plans", "vestok_results": "$work/srv/vestok",
 "vestok_owner": "", "ansible_become": false}
EOF
cd "$work"  # no ansible.cfg of the caller
export ANSIBLE_HOME="$work/ansible" ANSIBLE_LOCAL_TEMP="$work/ansible/tmp" ANSIBLE_NOCOLOR=1 \
  ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_DEPRECATION_WARNINGS=0
play() {
  ansible-playbook -i "$work/inventory" "$fleet/vestok-fleet.yml" -e "@$work/vars.json" --skip-tags system "$@" \
    > "$work/play.log" 2>&1 || { cat "$work/play.log" >&2; fail "ansible-playbook $* failed"; }
}

play
[ -f "$root/etc/vestok/plan.csv" ] || fail "the play did not copy the plan"
[ -d "$root/var/lib/vestok" ] && [ -d "$root/var/log/vestok" ] || fail "the play did not make the folders"
[ ! -e "$work/srv" ] || fail "the run tasks ran without being asked for"

play --tags run
results="$work/srv/vestok/localhost.jsonl"
[ -f "$results" ] || fail "no results collected"
lines=$(grep -c '"event":"summary".*"status":0' "$results" || true)
[ "$lines" -eq 4 ] || { cat "$results" >&2; fail "expected three lines and the total done with status 0, got $lines"; }
items=$(($(wc -l < "$src/data/sample/items.csv") - 1))
for n in 1 2 3; do
  f="$root/var/lib/vestok/till-$n-sales.csv"
  [ -f "$f" ] || fail "till $n: no sales file in the working folder"
  [ "$(($(wc -l < "$f") - 1))" -ge 1 ] || fail "till $n: the sales file holds no record"
done
[ "$items" -ge 1 ] || fail "the sample register has no items"

# The units: the program's path made to exist, as on a PC with the package.
if command -v systemd-analyze >/dev/null; then
  mkdir -p "$work/units"
  for u in vestok-cli.service vestok-cli.timer; do
    sed "s|/opt/vestok/vestok-cli|$root/opt/vestok/vestok-cli|g" "$fleet/$u" > "$work/units/$u"
  done
  (cd "$work/units" && systemd-analyze verify --man=no vestok-cli.service vestok-cli.timer) > "$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt" >&2; fail "systemd-analyze verify refuses the units"; }
  if grep -v "^$" "$work/verify.txt" | grep -qv "running in a chroot"; then
    cat "$work/verify.txt" >&2
    fail "systemd-analyze verify has remarks on the units"
  fi
fi
echo "fleet play: the play and its plan ran against the simulated registers"
