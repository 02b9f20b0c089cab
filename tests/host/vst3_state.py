#!/usr/bin/python3
"""vst3_state.py SESSION.ardour set|check|chunk
The plug-in's state inside an Ardour session (a VST3 preset chunk holding JUCE's "VC2!" state):
  set    writes a state with non-default parameters, routes, depths, LFO targets, bank and artwork
  check  verifies those values came back
  chunk  prints a digest of the stored chunk (to compare two saves)"""
import base64, hashlib, re, struct, sys
import xml.etree.ElementTree as ET

path, command = sys.argv[1], sys.argv[2]
text = open(path, encoding='utf-8').read()
match = re.search(r'(<vst3[^>]*>.*?<chunk>)([^<]*)(</chunk>)', text, re.S)
assert match, "no VST3 chunk in the session"
blob = base64.b64decode(match.group(2))
assert blob[:4] == b'VST3', "not a VST3 preset chunk"
list_offset = struct.unpack('<q', blob[40:48])[0]
count = struct.unpack('<i', blob[list_offset + 4:list_offset + 8])[0]
entries = [(blob[list_offset + 8 + 20 * i:list_offset + 12 + 20 * i],) + struct.unpack('<qq', blob[list_offset + 12 + 20 * i:list_offset + 28 + 20 * i]) for i in range(count)]
comp = next(e for e in entries if e[0] == b'Comp')
component = blob[comp[1]:comp[1] + comp[2]]
assert component[:4] == b'VC2!', "the component state is not JUCE's XML wrapper"
xml_len = struct.unpack('<I', component[4:8])[0]
xml_text = component[8:8 + xml_len].decode('utf-8')
tail = component[8 + xml_len + 1:]
root = ET.fromstring(xml_text[xml_text.index('<PARAMETERS'):] if '<PARAMETERS' in xml_text else xml_text)

EXPECTED_ATTRS = {'motionRoute0Target': 'resonance', 'motionRoute3Depth': '0.123', 'lfoRoute7Target': 'delayTone',
                  'selectedFactoryBank': 'E', 'customArtworkPath': '/tmp/halcyra art.png', 'currentPreset': '30'}
EXPECTED_PARAMS = {'cutoff': 1234.5, 'oscAShape': 4.0, 'lfo3Depth': 0.37}

if command == 'chunk':
    print(hashlib.sha256(blob).hexdigest())
elif command == 'set':
    for k, v in EXPECTED_ATTRS.items():
        root.set(k, v)
    for p in root.iter('PARAM'):
        if p.get('id') in EXPECTED_PARAMS:
            p.set('value', str(EXPECTED_PARAMS[p.get('id')]))
    new_xml = '<?xml version="1.0" encoding="UTF-8"?> ' + ET.tostring(root, encoding='unicode')
    data = new_xml.encode('utf-8')
    new_component = b'VC2!' + struct.pack('<I', len(data)) + data + b'\0' + tail
    # Rebuild the preset: header, the component chunk, then the other chunks, then the list.
    body, new_entries = b'', []
    offset = 48
    for chunk_id, off, size in entries:
        content = new_component if chunk_id == b'Comp' else blob[off:off + size]
        new_entries.append((chunk_id, offset + len(body), len(content)))
        body += content
    listing = b'List' + struct.pack('<i', len(new_entries)) + b''.join(i + struct.pack('<qq', o, s) for i, o, s in new_entries)
    new_blob = blob[:40] + struct.pack('<q', 48 + len(body)) + body + listing
    encoded = base64.b64encode(new_blob).decode('ascii')
    text = text[:match.start(2)] + encoded + text[match.end(2):]
    open(path, 'w', encoding='utf-8').write(text)
    print("state written into", path)
elif command == 'check':
    problems = []
    for k, v in EXPECTED_ATTRS.items():
        got = root.get(k)
        same = got is not None and (abs(float(got) - float(v)) < 1e-6 if k.endswith('Depth') else got == v)
        if not same:
            problems.append(f"{k} is {got!r}, expected {v!r}")
    for p in root.iter('PARAM'):
        if p.get('id') in EXPECTED_PARAMS and abs(float(p.get('value')) - EXPECTED_PARAMS[p.get('id')]) > 1e-3:
            problems.append(f"parameter {p.get('id')} is {p.get('value')}, expected {EXPECTED_PARAMS[p.get('id')]}")
    print("\n".join(problems) if problems else "state came back: parameters, routes, depths, LFO targets, bank, artwork")
    sys.exit(1 if problems else 0)
