#!/usr/bin/env python3
"""Turns the samples of the benchmark programs into figures: medians,
spreads, ratios against their baselines and targets. Prints a table and
writes the whole result as JSON.

usage: figures.py OUT.json MACHINE.json PROGRAM.json...
"""
import json
import statistics
import sys


def median_of(values):
    return statistics.median(values) if values else float("nan")


def notes_for(p):
    """What dominates each figure's cost, with this run's own numbers."""
    msg32 = median_of(p.series("32", "message_round_trip_us"))
    msg64 = median_of(p.series("64", "message_round_trip_us"))
    buffers = p.fact("32", "long_direct_blocks", 0)  # the legacy engine's buffers, one callback each
    undelivered = {b: median_of(p.series(b, "abort_fragment_undelivered_ms")) for b in ("32", "64")}
    sonic = {b: median_of(p.series(b, "compute_sonic_ms")) for b in ("32", "64")}
    synth = {b: median_of(p.series(b, "compute_synthesize_ms")) for b in ("32", "64")}
    launch = median_of(p.series("64", "cold_launch_ms"))
    connect = median_of(p.series("64", "cold_connect_ms"))
    bare = median_of(p.series("64", "bare_32_bit_process_ms"))
    return {
        "capture": (f"The legacy engine plays about {buffers:.0f} buffers of 2-4 KB; each one costs a posted "
                    f"buffer-done message and its dispatch by the engine's own pump (Wine server calls). One "
                    f"post-and-peek round trip costs {msg32:.0f} us in the 32-bit process (qemu-i386) against "
                    f"{msg64:.0f} us in a native 64-bit one, so messaging, not copying or hooking, dominates: "
                    f"platform (Wine under emulation). The engine cannot go on without the release message. The "
                    f"baseline, by contrast, is pure arithmetic: the same synthesis code takes {synth['32']:.0f} ms "
                    f"in the 32-bit build against {synth['64']:.0f} ms in the 64-bit one here."),
        "pipe": (f"The server gathers the 2-4 KB blocks into messages of up to 32 KB once the client holds 2 s of "
                 f"audio ahead (the first block goes out at once), and the client reads ahead 64 KB at a time: "
                 f"{p.fact('64', 'long_direct_blocks', 0):.0f} messages for the long text instead of one per "
                 f"buffer. Before that, one write per block in the emulated server (about 0.16 ms each) made this "
                 f"figure 3-7x. Timed inside the server, handing the audio on now takes about a tenth of its speak time "
                 f"(32 KB messages cost less than 16 KB ones, which need twice the writes, and than 64 KB ones, "
                 f"which overflow the 64 KB pipe buffer and make the server wait for the client). What remains is "
                 f"the same capture as in-process, run in the emulated server, with the "
                 f"client and the wineserver on the same 2 shared cores; the two sides are measured by two programs "
                 f"one after the other, so drift on the machine shows in this ratio."),
        "first_in_process": "Building the utterance and synthesising the first 2-4 KB buffer; no setup is left warm.",
        "first_pipe": "One request message, the server's first buffer and one audio message back.",
        "streaming": (f"Both stay far below a millisecond in-process; what grows with the text before the first "
                      f"block is our utterance preparation ({median_of(p.series('32', 'many_words_prepare_ms')):.2f} ms "
                      f"for 2000 words) and the legacy engine reading the whole text "
                      f"({median_of(p.series('32', 'many_words_engine_parse_ms')):.2f} ms), linear passes in emulated "
                      f"code; through the pipe the request's text is copied and sent as well. The ratio misses "
                      f"because the one-word baseline is only a few tenths of a millisecond."),
        "abort": (f"The legacy engine has no way to stop: after the abort the driver drops every further block, but "
                  f"TtsWav returns only when the whole fragment is produced, so the latency is the time to "
                  f"synthesise the rest of the fragment (whole fragment undelivered: 32-bit {undelivered['32']:.0f} "
                  f"ms, 64-bit {undelivered['64']:.0f} ms; half of it remains at the abort). It grows with the text "
                  f"left in the fragment being spoken when the abort comes."),
        "cold": (f"Starting the 32-bit server under qemu-i386 until its mutex shows takes {launch:.0f} ms, where "
                 f"a 32-bit cmd.exe that exits at once takes {bare:.0f} ms from start to exit (platform: emulated "
                 f"32-bit process start and Wine); the client then connects {connect:.0f} ms "
                 f"later, once the server has loaded the legacy engine and created its pipe. Both waits poll every "
                 f"10 ms; they were a 100 ms mutex poll and a fixed 300 ms pause, about 0.4 s of every cold start."),
        "stretch": (f"Sonic's pitch-synchronous overlap-add at quality 1 on every sample. Sonic alone over the same "
                    f"audio, the same code in both builds, takes {sonic['32']:.0f} ms in the 32-bit build (emulated) "
                    f"against {sonic['64']:.0f} ms in the 64-bit build (native): the added cost is Sonic's own "
                    f"arithmetic, inflated by the emulation, while the baseline is mostly Wine server calls that run "
                    f"natively in the wineserver."),
        "sapi": ("Per block two GetActions calls and one Write to the site; per fragment its UTF-8 conversion and "
                 "word events; nothing grows with the position in the text. The ratio is the median of the paired "
                 "runs (each SAPI run right after its back-end run); its spread is the run-to-run noise of the bare "
                 "back-end itself on this shared machine. 64-bit: the pipe's larger messages mean fewer blocks."),
        "say": ("orvane-say as a whole (COM creation, token, WAV file), the run with one word subtracted: beyond the "
                "engine's Speak it writes 26 MB of WAV file for the long text, now as the audio comes (it held and "
                "copied the whole recording before); a Wine process start varies by tens to hundreds of ms here, "
                "and with three runs that shows in the spread."),
        "memory": ("Handles counted from the system handle table; memory as the server's working set where Wine "
                   "reports no private bytes for another process."),
    }


def quantile(values, q):
    ordered = sorted(values)
    position = (len(ordered) - 1) * q
    low = int(position)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (position - low)


def summary(values):
    if not values:
        return None
    return {"n": len(values), "median": statistics.median(values), "min": min(values), "max": max(values),
            "q1": quantile(values, 0.25), "q3": quantile(values, 0.75)}


class Programs:
    """The documents of the benchmark programs (orvane-bench32/64) and of the
    runner's own timings of the SAPI host (orvane-say32/64)."""

    def __init__(self, documents):
        self.documents = {document["program"]: document for document in documents}

    def series(self, build, name, program="orvane-bench"):
        document = self.documents.get(program + build)
        if not document or name not in document["series"]:
            return []
        return [v for v in document["series"][name]["values"] if v is not None]

    def fact(self, build, name, default=None):
        document = self.documents.get("orvane-bench" + build)
        return document["facts"].get(name, default) if document else default


def ratio_figure(name, build, subject, baseline, limit, paired, note):
    s, b = summary(subject), summary(baseline)
    figure = {"figure": name, "build": build, "unit": "ms", "subject": s, "baseline": b, "target": f"<= {limit}"}
    if s and b and b["median"] > 0:
        figure["ratio"] = s["median"] / b["median"]
        figure["ratio_range"] = [s["min"] / b["max"], s["max"] / b["min"]]
        ratios = [x / y for x, y in zip(subject, baseline) if y > 0]
        if paired and len(subject) == len(baseline) and ratios:
            # Each pair ran back to back: their ratio cancels the machine's
            # drift between runs, which the ratio of medians keeps.
            figure["ratio"] = statistics.median(ratios)
            figure["ratio_range"] = [min(ratios), max(ratios)]
            figure["ratio_of"] = "median of paired runs"
        figure["met"] = figure["ratio"] <= limit
    figure["note"] = note
    return figure


def value_figure(name, build, values, limit, note, unit="ms", extra=None):
    s = summary(values)
    figure = {"figure": name, "build": build, "unit": unit, "subject": s,
              "target": f"< {limit} {unit}" if limit is not None else "report"}
    if s and limit is not None:
        figure["met"] = s["median"] < limit
    figure.update(extra or {})
    figure["note"] = note
    return figure


def make_figures(p, notes):
    figures = []
    note = lambda key: notes.get(key, "")
    figures.append(ratio_figure("capture overhead", "32", p.series("32", "long_direct_ms"),
                                p.series("32", "long_synthesize_ms"), 1.05, True, note("capture")))
    figures.append(ratio_figure("pipe overhead", "64 vs 32", p.series("64", "long_direct_ms"),
                                p.series("32", "long_direct_ms"), 1.15, False, note("pipe")))
    for build, limit, key in (("32", 5, "first_in_process"), ("64", 10, "first_pipe")):
        values = p.series(build, "sentence_first_audio_ms")
        audio_ms = p.fact(build, "sentence_audio_ms")
        extra = {}
        if values and audio_ms:
            extra["fraction_of_sentence_audio"] = statistics.median(values) / audio_ms
            extra["sentence_audio_ms"] = audio_ms
        where = "in-process" if build == "32" else "through the pipe"
        figures.append(value_figure(f"time to first audio, warm, {where}", build, values, limit, note(key),
                                    extra=extra))
    for build in ("32", "64"):
        figures.append(ratio_figure("streaming (first audio, 2000 words vs 1)", build,
                                    p.series(build, "many_words_first_audio_ms"),
                                    p.series(build, "one_word_first_audio_ms"), 1.2, True, note("streaming")))
    for build in ("32", "64"):
        bound = p.series(build, "abort_fragment_undelivered_ms")
        extra = {"whole_fragment_undelivered_ms": summary(bound)} if bound else {}
        figures.append(value_figure("abort latency (mid 10000-character fragment)", build,
                                    p.series(build, "abort_latency_ms"), None, note("abort"), extra=extra))
    launch, connect = p.series("64", "cold_launch_ms"), p.series("64", "cold_connect_ms")
    figures.append(value_figure("cold start (first Speak to first audio, no server)", "64",
                                p.series("64", "cold_first_audio_ms"), 1000, note("cold"),
                                extra={"server_start_ms": summary(launch), "connect_after_start_ms": summary(connect),
                                       "bare_32_bit_process_ms": summary(p.series("64", "bare_32_bit_process_ms"))}))
    figures.append(ratio_figure("time-stretch cost (speed 1.5 vs 1.0)", "32", p.series("32", "stretch_1_5_ms"),
                                p.series("32", "stretch_1_0_ms"), 1.3, True, note("stretch")))
    for build in ("32", "64"):
        figures.append(ratio_figure("SAPI layer overhead (engine Speak vs back-end)", build,
                                    p.series(build, "long_sapi_ms"), p.series(build, "long_direct_ms"), 1.10, True,
                                    note("sapi")))
    for build in ("32", "64"):
        # The host's own start, voice lookup and WAV writing cancel out
        # between a one-word and the long text.
        long, word = p.series(build, "say_long_ms", "orvane-say"), p.series(build, "say_word_ms", "orvane-say")
        if long and len(long) == len(word):
            figures.append(ratio_figure("SAPI host overhead (orvane-say long minus one word, vs back-end)", build,
                                        [a - b for a, b in zip(long, word)], p.series(build, "long_direct_ms"),
                                        1.10, False, note("say")))
    figures.append(memory_figure(p, note("memory")))
    figures.extend(concurrency_figures(p))
    for name, series in (("stand-in synthesis", "compute_synthesize_ms"), ("Sonic at 1.5", "compute_sonic_ms")):
        figures.append(platform_figure(f"platform: {name} alone, same code", p.series("32", series),
                                       p.series("64", series)))
    return figures


def concurrency_figures(p):
    """Several clients of one server at once, each on its own connection."""
    figures = []
    beside, alone = p.series("64", "beside_stream_first_audio_ms"), p.series("64", "beside_stream_alone_first_audio_ms")
    streaming = p.series("64", "beside_stream_a_still_streaming")
    characters = p.fact("64", "long_text_characters", 0)
    note = (f"Client B's request goes to its own connection, served on its own thread of the server, while client A's "
            f"{characters:.0f}-character text is being spoken on another; A was still streaming when B's first audio "
            f"came in {sum(streaming):.0f} of {len(streaming)} runs. B alone: {describe(summary(alone))}.")
    figures.append(value_figure("first audio of client B while client A streams the long text", "64", beside, 10,
                                note, extra={"baseline_alone": summary(alone)}))
    cores = p.fact("64", "cores", 1) or 1
    one = p.series("64", "clients_at_once_1_ms")
    for count in (2, 4):
        limit = round(max(1.0, count / cores) * 1.2, 3)
        wall = p.series("64", f"clients_at_once_{count}_ms")
        note = (f"{count} clients, each speaking the {characters:.0f}-character text at the same moment, until the last "
                f"is done, against one client alone, on {cores:.0f} cores; each run times both back to back. The "
                f"target allows max(1, {count}/{cores:.0f}) x 1.2.")
        figures.append(ratio_figure(f"wall time of {count} clients at once vs 1", "64", wall, one, limit, True, note))
    per_memory, per_handles = p.series("64", "per_connection_memory_bytes"), p.series("64", "per_connection_handles")
    growth = p.series("64", "after_connections_memory_growth_bytes")
    handle_growth = p.series("64", "after_connections_handle_growth")
    held = p.fact("64", "held_connections", 0)
    figure = value_figure("server memory per connection", "64 (server 32)", per_memory, None,
                          (f"{held:.0f} connections held open at once, each having spoken one sentence (its thread, "
                           f"driver and window exist), against the server before them; memory is the server's "
                           f"working set where Wine reports no private bytes. Once they are closed again, the server's "
                           f"memory differs from before by {median_of(growth) / 1024:+.0f} KiB and its handles by "
                           f"{median_of(handle_growth):+.0f} (medians of {len(growth)} runs)."), unit="bytes",
                          extra={"handles_per_connection": summary(per_handles)})
    figures.append(figure)
    return figures


def platform_figure(name, emulated, native):
    """Not one of our layers: how much slower this machine runs the same
    computation as 32-bit code than as 64-bit code."""
    s, b = summary(emulated), summary(native)
    figure = {"figure": name, "build": "32 vs 64", "unit": "ms", "subject": s, "baseline": b, "target": "report",
              "note": "The 32-bit build against the 64-bit build over identical input."}
    if s and b and b["median"] > 0:
        figure["ratio"] = s["median"] / b["median"]
        figure["ratio_range"] = [s["min"] / b["max"], s["max"] / b["min"]]
    return figure


def memory_figure(p, note):
    checkpoints = p.series("64", "server_checkpoint_utterances")
    # Wine reports no private bytes for another process; the working set
    # (resident size) then stands in for them.
    memory_name = "private_bytes"
    memory = p.series("64", "server_private_bytes")
    if not any(memory):
        memory_name, memory = "working_set_bytes", p.series("64", "server_working_set_bytes")
    handles = p.series("64", "server_handles")
    figure = {"figure": "server memory and handles", "build": "64 (server 32)", "unit": "bytes/handles",
              "target": "no growth beyond noise", "memory_counter": memory_name, "note": note}
    if len(checkpoints) >= 2 and len(memory) == len(checkpoints) == len(handles):
        figure["after"] = {str(int(c)): {memory_name: b, "handles": h} for c, b, h in zip(checkpoints, memory, handles)}
        figure["memory_growth_bytes"] = memory[-1] - memory[0]
        figure["handle_growth"] = handles[-1] - handles[0]
        # Noise: the heap grows in pages and Wine keeps a few caches; a leak
        # of one allocation or handle per utterance would show as hundreds.
        figure["met"] = figure["memory_growth_bytes"] <= 256 * 1024 and figure["handle_growth"] <= 2
    return figure


def describe(s, unit="ms"):
    if not s:
        return "not measured"
    scale = 1.0
    if unit == "bytes":
        scale, unit = 1.0 / 1024, "KiB"
    def number(value):
        value *= scale
        return f"{value:.0f}" if abs(value) >= 100 else f"{value:.1f}" if abs(value) >= 10 else f"{value:.2f}"
    return (f"{number(s['median'])} {unit} [{number(s['min'])}-{number(s['max'])}, "
            f"IQR {number(s['q1'])}-{number(s['q3'])}, n={s['n']}]")


def table_rows(figures):
    for f in figures:
        if f["figure"] == "server memory and handles":
            after = f.get("after", {})
            counter = f["memory_counter"]
            measured = ", ".join(f"after {k}: {v[counter] / 1024:.0f} KiB {counter.split('_')[0]}, {v['handles']:.0f} handles"
                                 for k, v in after.items()) or "not measured"
            result = (f"{f['memory_growth_bytes'] / 1024:+.0f} KiB, {f['handle_growth']:+.0f} handles"
                      if after else "")
            yield f["figure"], f["build"], measured, "", result, f["target"], f.get("met")
            continue
        baseline = describe(f.get("baseline")) if "baseline" in f else ""
        if "baseline_alone" in f:
            baseline = describe(f["baseline_alone"])
        if "ratio" in f:
            lo, hi = f["ratio_range"]
            result = f"{f['ratio']:.3f} ({lo:.3f}-{hi:.3f})"
        elif "fraction_of_sentence_audio" in f:
            result = f"{100 * f['fraction_of_sentence_audio']:.3f}% of {f['sentence_audio_ms']:.0f} ms audio"
        elif "whole_fragment_undelivered_ms" in f:
            result = f"whole fragment undelivered: {describe(f['whole_fragment_undelivered_ms'])}"
        elif "handles_per_connection" in f:
            result = f"{describe(f['handles_per_connection'], 'handles')} per connection"
            yield (f["figure"], f["build"], describe(f.get("subject"), "bytes"), baseline, result, f["target"],
                   f.get("met"))
            continue
        elif "server_start_ms" in f:
            result = (f"server start {describe(f['server_start_ms'])}; "
                      f"a bare 32-bit process {describe(f.get('bare_32_bit_process_ms'))}")
        else:
            result = ""
        yield f["figure"], f["build"], describe(f.get("subject")), baseline, result, f["target"], f.get("met")


def markdown_table(figures):
    lines = ["| figure | build | measured: median [min-max, IQR, n] | baseline | ratio (range) / result | target | met |",
             "|---|---|---|---|---|---|---|"]
    for row in table_rows(figures):
        cells = ["" if c is None else ("yes" if c is True else "**no**" if c is False else str(c)) for c in row]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines) + "\n"


def print_table(figures, machine):
    print(f"Machine: {machine.get('cpu')}, {machine.get('cores')} cores; {machine.get('note', '')}")
    header = ("figure", "build", "measured: median [min-max, IQR, n]", "baseline", "ratio / result", "target", "met")
    rows = [header] + [tuple("" if c is None else ("yes" if c is True else "NO" if c is False else str(c))
                             for c in row) for row in table_rows(figures)]
    widths = [max(len(r[i]) for r in rows) for i in range(len(header))]
    for index, row in enumerate(rows):
        print("  ".join(c.ljust(w) for c, w in zip(row, widths)).rstrip())
        if index == 0:
            print("  ".join("-" * w for w in widths))


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    out, machine_file, program_files = argv[1], argv[2], argv[3:]
    with open(machine_file) as f:
        machine = json.load(f)
    documents = []
    for name in program_files:
        with open(name) as f:
            documents.append(json.load(f))
    programs = Programs(documents)
    figures = make_figures(programs, notes_for(programs))
    with open(out, "w") as f:
        json.dump({"machine": machine, "figures": figures, "samples": documents}, f, indent=2)
    with open(out.rsplit(".", 1)[0] + ".md", "w") as f:
        f.write(markdown_table(figures))
        seen = {}
        for x in figures:
            if x.get("note"):
                seen.setdefault(x["figure"], x["note"])
        f.write("\nWhat dominates the cost:\n\n" + "".join(f"- {k}: {v}\n" for k, v in seen.items()))
    print_table(figures, machine)


if __name__ == "__main__":
    main(sys.argv)
