#include "tools/resonix/CommandHelp.h"

namespace command_help {
const char* const tool =
    "usage: resonix COMMAND [ARGS]\n"
    "\n"
    "Korvane Resonix on the command line: the plug-in's own engine, run in-process.\n"
    "\n"
    "commands:\n"
    "  measure KNOCK.wav -o GUITAR.rzn     measure a recorded knock and save it as a preset\n"
    "  apply GUITAR.rzn IN.wav OUT.wav     render the preset's correction into a copy of a recording\n"
    "  render GUITAR.rzn EDITOR.png        draw the plug-in's editor with the preset loaded\n"
    "  info GUITAR.rzn                     show the preset's parameters and its 120 bands\n"
    "  coefficients GUITAR.rzn --rate HZ   print the fitted filter as second-order sections\n"
    "  match PICKUP.wav MIC.wav -o OUT.rzn  make a preset that plays the first as the second sounds\n"
    "\n"
    "`resonix COMMAND --help` describes one command; `resonix --version` prints the version.\n"
    "Exit status: 0 done, 1 usage error, 2 bad input or a refused measurement,\n"
    "3 an output file could not be written.\n";

const char* const measure =
    "usage: resonix measure KNOCK.wav -o GUITAR.rzn [--calibration FILE.frd|.cal] [--channel N]\n"
    "\n"
    "Measures a recording of the guitar's bridge being knocked with a pick, exactly as the plug-in's\n"
    "\"Start\" button would at the recording's own sample rate: half a second of waiting, then 2^19\n"
    "samples (about 12 s at 44.1 kHz) analysed into 120 semitone bands. A shorter recording is padded\n"
    "with silence. The result becomes both the measured curve and the target (a flat correction) and\n"
    "is saved as an RZN preset, ready to be opened in the plug-in.\n"
    "\n"
    "  -o, --output FILE     the preset to write (required); an existing file is replaced only\n"
    "                        when the new one is complete\n"
    "  --calibration FILE    a microphone calibration file (frequency and dB per line) to use instead\n"
    "                        of the one in the plug-in's preset folder\n"
    "  --channel N           the channel to measure, from 1 (default 1)\n"
    "\n"
    "Recordings that reach full scale (\"too loud\") or hold no usable signal (\"too silent\") are\n"
    "refused with the plug-in's message and exit status 2.\n";

const char* const apply =
    "usage: resonix apply GUITAR.rzn IN.wav OUT.wav [--bypass-volume DB]\n"
    "\n"
    "Renders the preset's correction into OUT, at IN's sample rate, in 64-bit floating point, sample\n"
    "for sample what the plug-in plays. Every channel runs through its own filter. OUT gets IN's\n"
    "sample type; its container follows OUT's extension (.wav, .flac, .aiff, .w64, .caf, .au), or\n"
    "IN's when the extension names none. Integer formats clip at full scale (a warning says how\n"
    "often). OUT replaces an existing file only when complete, so IN may also be OUT.\n"
    "\n"
    "  --bypass-volume DB    for a preset saved in Bypass mode: the bypass level, -20 to +20 dB,\n"
    "                        instead of the preset's own\n"
    "\n"
    "A progress bar is shown on a terminal.\n";

const char* const render =
    "usage: resonix render GUITAR.rzn EDITOR.png [--scale S]\n"
    "\n"
    "Draws the plug-in's editor (730 x 431 pixels) with the preset loaded: the measured, target and\n"
    "corrected curves on the response plot and the parameter readouts, and saves it as PNG.\n"
    "\n"
    "  --scale S    draw for a screen of S device pixels per editor pixel, 1 to 3 (for example 2:\n"
    "               1460 x 862 pixels), as the plug-in does on a high-density screen\n";

const char* const info =
    "usage: resonix info GUITAR.rzn [--json|--csv] [--rate HZ]\n"
    "\n"
    "Shows the preset's file version, its four parameters and its 120 bands: note, centre frequency\n"
    "in Hz, and the measured, target and corrected levels in dB (0 dB is the top of the plot). The\n"
    "corrected curve is the correction's predicted result, designed at --rate (default 44100).\n"
    "\n"
    "  --json    {\"version\", \"parameters\": {\"mode\", \"vertical_slider\", \"bypass_volume\",\n"
    "            \"note_indicator\"}, \"bands\": [{\"index\", \"note\", \"hz\", \"measured_db\",\n"
    "            \"target_db\", \"corrected_db\"}, ...]}\n"
    "  --csv     one header line, then one line per band\n";

const char* const coefficients =
    "usage: resonix coefficients GUITAR.rzn --rate HZ [--json|--csv]\n"
    "\n"
    "Prints the correction the plug-in runs at sample rate HZ as 120 second-order sections in the\n"
    "order they are applied,\n"
    "    H(z) = (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2),  a0 = 1,\n"
    "followed by one output gain, so that other tools can reproduce `resonix apply` exactly.\n"
    "Below 44056 Hz the plug-in designs for 44056 Hz and so do these sections.\n"
    "\n"
    "  --json    {\"rate\", \"out_gain\", \"sections\": [[b0, b1, b2, a0, a1, a2], ...]}\n"
    "  --csv     \"section,b0,b1,b2,a0,a1,a2\", one line per section, then the output gain as a\n"
    "            last line \"gain,G,0,0,1,0,0\" (a section that only scales)\n";

const char* const match =
    "usage: resonix match SOURCE.wav REFERENCE.wav -o OUT.rzn [--calibration FILE.frd|.cal]\n"
    "\n"
    "Makes a preset that plays SOURCE as REFERENCE sounds: typically a guitar's pickup as the same\n"
    "guitar sounds in front of a good microphone.\n"
    "\n"
    "  1. Record the same playing through both at once, on two tracks (a minute or more of varied\n"
    "     playing: every note you play is a band the match can compare).\n"
    "  2. Export the two tracks and run: resonix match pickup.wav mic.wav -o pickup-to-mic.rzn\n"
    "  3. Load the preset in the plug-in on the pickup track (\"Load\"), or render it with\n"
    "     `resonix apply`.\n"
    "  4. Trim the target with the pen where your taste differs from the microphone.\n"
    "\n"
    "Each recording is averaged over its whole length into the plug-in's 120 semitone bands, with the\n"
    "bands, weighting and microphone calibration of a measurement; the overall level does not matter.\n"
    "The preset's measured curve is SOURCE's; its target is REFERENCE's shape at SOURCE's loudness\n"
    "(lowered as a whole where it would pass the top of the plot or boost a band by more than\n"
    "20 dB), so the correction turns the one into the other. Bands where either recording holds no\n"
    "signal take the correction of their nearest neighbour. Stereo files are mixed to mono; the two\n"
    "files may have different sample rates (44056 Hz or higher). The summary gives how far apart the\n"
    "two are from 82 Hz to 8.4 kHz, before and (as predicted) after the correction.\n"
    "\n"
    "  -o, --output FILE     the preset to write (required); an existing file is replaced only\n"
    "                        when the new one is complete\n"
    "  --calibration FILE    a microphone calibration file to use instead of the one in the\n"
    "                        plug-in's preset folder; both recordings are divided by it, so it\n"
    "                        shapes the curves the plug-in shows but not the correction\n"
    "\n"
    "Recordings that reach full scale, hold no usable signal or last under 2 seconds are refused\n"
    "with exit status 2, as a measurement is. A progress bar is shown on a terminal.\n";
}  // namespace command_help
