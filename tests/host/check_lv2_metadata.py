#!/usr/bin/python3
"""check_lv2_metadata.py BUNDLE_DIR PARAMETER_LIST
The LV2 bundle lists every parameter of the binary, in host order, with its name, and
lv2_validate finds nothing beyond what JUCE 7.0.5's own Turtle generator is known to produce.
PARAMETER_LIST is the output of 'halcyra-render --list-parameters'."""
import glob, re, subprocess, sys

bundle, listing = sys.argv[1], sys.argv[2]
expected = [line.split('\t')[1:3] for line in open(listing, encoding='utf-8').read().splitlines() if line.strip()]
failures = []
if len(expected) != 81:
    failures.append(f"the binary lists {len(expected)} parameters, not 81")

dsp = open(f"{bundle}/dsp.ttl", encoding='utf-8').read()
writable = re.search(r'patch:writable\s+(.*?);', dsp, re.S)
order = re.findall(r'plug:(\w+)', writable.group(1)) if writable else []
if order != [e[0] for e in expected]:
    failures.append("patch:writable does not list the parameters in host order")
for pid, name in expected:
    m = re.search(r'^plug:%s\s+a lv2:Parameter ;\s+rdfs:label "([^"]*)"' % re.escape(pid), dsp, re.M)
    if not m:
        failures.append(f"no lv2:Parameter for {pid}")
    elif m.group(1) != name:
        failures.append(f"{pid} is labelled '{m.group(1)}', not '{name}'")

# lv2_validate prints each problem as 'error: ...' followed by indented detail lines; it exits 0
# whatever it finds, so its output is read.
out = subprocess.run(['lv2_validate'] + sorted(glob.glob(f"{bundle}/*.ttl")),
                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
blocks, current = [], None
for line in out.splitlines():
    if line.startswith('error:'):
        current = [line[6:].strip()]
        blocks.append(current)
    elif current is not None and (line.startswith(' ') or not line.strip()):
        if line.strip():
            current.append(line.strip())
    else:
        current = None

choice_or_bool = {pid for pid, _ in expected}
def known_juce_error(b):
    text = ' '.join(b)
    if b[0].startswith('Subject not in domain <http://usefulinc.com/ns/doap#Project>'):
        return 'doap#maintainer' in text or 'doap#release' in text
    if b[0].startswith('Object not in range <http://lv2plug.in/ns/lv2core#ExtensionData>'):
        return 'ui#noUserResize' in text
    if b[0].startswith('Object not in range <http://lv2plug.in/ns/lv2core#Feature>'):
        return 'options#interface' in text
    if b[0].startswith('Use of undefined property') or re.match(r'Property <[^>]*:Program> has no label', b[0]):
        return ':Program' in text
    if b[0].startswith('Subject not in domain <http://lv2plug.in/ns/lv2core#Port>'):
        # JUCE puts lv2:portProperty enumeration/toggled on its choice and switch parameters.
        subj = b[1].rsplit(':', 1)[-1] if len(b) > 1 else ''
        return subj in choice_or_bool and 'lv2core#portProperty' in text and ('#enumeration' in text or '#toggled' in text)
    return False

unexpected = [b for b in blocks if not known_juce_error(b)]
for b in unexpected:
    failures.append("lv2_validate: " + ' | '.join(b))
if not blocks:
    failures.append("lv2_validate printed no report at all (did it run?)")

print(f"{len(expected)} parameters listed in order; lv2_validate: {len(blocks)} errors, all from JUCE's generator"
      if not failures else "\n".join(failures))
sys.exit(1 if failures else 0)
