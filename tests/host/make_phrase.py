#!/usr/bin/python3
"""Writes a short pad phrase as a type-0 MIDI file at 120 bpm, 1920 ticks per beat (the form the
Ardour session helper expects). usage: make_phrase.py OUT.mid"""
import sys, mido

PPQ = 1920
events = []   # (beat, message)
chords = [(0, [48, 55, 64, 71]), (4, [45, 52, 60, 67]), (8, [41, 53, 57, 64])]
for beat, notes in chords:
    for i, n in enumerate(notes):
        events.append((beat, mido.Message('note_on', note=n, velocity=90 - 4 * i)))
        events.append((beat + 3.9, mido.Message('note_off', note=n, velocity=0)))
for beat, n in [(1, 79), (2, 76), (5, 74), (6, 72), (9, 76)]:
    events.append((beat, mido.Message('note_on', note=n, velocity=70)))
    events.append((beat + 0.9, mido.Message('note_off', note=n, velocity=0)))

track = mido.MidiTrack([mido.MetaMessage('set_tempo', tempo=500000, time=0)])
last = 0
for beat, msg in sorted(events, key=lambda e: (e[0], e[1].type == 'note_on')):
    tick = round(beat * PPQ)
    track.append(msg.copy(time=tick - last))
    last = tick
track.append(mido.MetaMessage('end_of_track', time=0))
out = mido.MidiFile(type=0, ticks_per_beat=PPQ)
out.tracks.append(track)
out.save(sys.argv[1])
