#!/usr/bin/env python3
"""Turns the samples of the benchmark programs into figures: medians,
spreads, ratios against their baselines and targets. Prints a table and
writes the whole result as JSON.

usage: figures.py OUT.json MACHINE.json PROGRAM.json...
"""
import json
import math
import os
import statistics
import sys


def median_of(values):
    return statistics.median(values) if values else float("nan")


def known(*values):
    return all(v is not None and not math.isnan(v) for v in values)


def number(value, digits=0, unit=""):
    """A figure of this run for a note, or "not measured" where it has none."""
    return f"{value:.{digits}f}{unit}" if known(value) else "not measured"


def share(part, whole):
    return part / whole if known(part, whole) and whole > 0 else float("nan")


def percent(fraction):
    return f"{100 * fraction:.0f}%" if known(fraction) else "not measured"


def paired_median_difference(subject, baseline):
    pairs = [a - b for a, b in zip(subject, baseline)]
    return statistics.median(pairs) if pairs and len(subject) == len(baseline) else float("nan")


def spread(values):
    """(max - min) / median: how far the runs of one series lie apart."""
    return (max(values) - min(values)) / statistics.median(values) if values and statistics.median(values) > 0 \
        else float("nan")


def fact(p, build, name, program="orvane-bench"):
    """A numeric fact of the run, NaN where the run has none."""
    value = p.fact(build, name, None, program)
    return float(value) if isinstance(value, (int, float)) else float("nan")


def platform_of(machine):
    """How this machine runs 32-bit code, as machine.json found it."""
    emulated = machine.get("emulated")
    if emulated is None:  # written before the flag existed
        emulated = "emulation" in machine.get("note", "")
    emulator = os.path.basename(machine.get("emulator") or "") or "user emulation"
    return {"emulated": bool(emulated), "run_32": f"under {emulator}" if emulated else "natively",
            "cores": machine.get("cores")}


def ms(value, digits=None):
    """Milliseconds with as many digits as the table's own figures show."""
    if digits is None:
        digits = 0 if known(value) and abs(value) >= 100 else 1 if known(value) and abs(value) >= 10 else 2
    return number(value, digits, " ms")


def runs(n):
    return f"{n} run" if n == 1 else f"{n} runs"


def messaging_verdict(part):
    if not known(part):
        return "an unknown part of it"
    if part >= 1:
        return "all of it, as far as this estimate can tell"
    return "nearly all of it" if part >= 0.9 else "most of it" if part >= 0.5 else "less than half of it"


def capture_note(p, m):
    buffers = fact(p, "32", "long_direct_blocks")
    block_kb = share(fact(p, "32", "long_direct_bytes"), buffers) / 1024
    msg32, msg64 = (median_of(p.series(b, "message_round_trip_us")) for b in ("32", "64"))
    added = median_of(p.series("32", "long_direct_ms")) - median_of(p.series("32", "long_synthesize_ms"))
    messaging = buffers * msg32 / 1000
    part = share(messaging, added)
    synth = {b: median_of(p.series(b, "compute_synthesize_ms")) for b in ("32", "64")}
    return (f"The legacy engine plays {number(buffers)} buffers for the long text, {number(block_kb, 1, ' KB')} on "
            f"average; each costs a posted buffer-done message and its dispatch by the engine's own pump, through "
            f"Wine. One post-and-dispatch round trip costs {number(msg32, 0, ' us')} in the 32-bit program and "
            f"{number(msg64, 0, ' us')} in the 64-bit one (32-bit code runs {m['run_32']} here). At that price the "
            f"buffers' messages would take about {ms(messaging)}, {percent(part)} of the {ms(added)} the capture "
            f"adds to its baseline: messaging, not copying or hooking, is {messaging_verdict(part)}. The engine "
            f"cannot go on without the release message. The baseline is pure arithmetic: the same synthesis code takes "
            f"{ms(synth['32'])} in the 32-bit build and {ms(synth['64'])} in the 64-bit one over the text of the "
            f"platform rows.")


def pipe_note(p, m):
    messages, buffers = fact(p, "64", "long_direct_blocks"), fact(p, "32", "long_direct_blocks")
    message_kb = share(fact(p, "64", "long_direct_bytes"), messages) / 1024
    added = median_of(p.series("64", "long_direct_ms")) - median_of(p.series("32", "long_direct_ms"))
    return (f"The server gathers the engine's buffers into larger messages once the client is well ahead (the first "
            f"buffer of an utterance goes out at once), and the client reads ahead: the long text came as "
            f"{number(messages)} messages of {number(message_kb, 1, ' KB')} on average, against {number(buffers)} "
            f"buffers in-process. The pipe adds {ms(added)} to the in-process time; the other part is the same "
            f"capture as in-process, run in the 32-bit server (32-bit code runs {m['run_32']} here), with the client, "
            f"the server and the wineserver on this machine's {m['cores']} cores. The two sides are measured by two "
            f"programs one after the other, so drift on the machine shows in this ratio.")


def streaming_note(p, m):
    many = fact(p, "32", "many_words")
    one_first, many_first = (median_of(p.series("32", f"{n}_first_audio_ms")) for n in ("one_word", "many_words"))
    growth = lambda step: median_of(p.series("32", f"many_words_{step}_ms")) - median_of(
        p.series("32", f"one_word_{step}_ms"))
    prepare, parse = growth("prepare"), growth("engine_parse")
    alone = share(one_first + prepare + parse, one_first)
    return (f"In-process the first audio comes {ms(one_first, 2)} after the request for one word and "
            f"{ms(many_first, 2)} after it for {number(many)} words. What grows with the text before the first block "
            f"is our utterance preparation ({ms(prepare, 2)} more) and the legacy engine reading the whole text "
            f"({ms(parse, 2)} more), linear passes in 32-bit code (run {m['run_32']} here); through the pipe the "
            f"request's text is copied and sent as well. Against the one-word baseline these two passes alone make a "
            f"ratio of {number(alone, 2)}.")


def abort_note(p, m):
    undelivered = {b: median_of(p.series(b, "abort_fragment_undelivered_ms")) for b in ("32", "64")}
    latency = {b: share(median_of(p.series(b, "abort_latency_ms")), undelivered[b]) for b in ("32", "64")}
    characters = fact(p, "32", "abort_characters")
    # The fragment's audio, at the long text's bytes per character.
    fragment_bytes = share(fact(p, "32", "long_direct_bytes"), fact(p, "32", "long_text_characters")) * characters
    heard = share(fact(p, "32", "abort_after_bytes"), fragment_bytes)
    return (f"The legacy engine has no way to stop: after the abort the driver drops every further block, but "
            f"TtsWav returns only when the whole fragment is produced, so what is left of the fragment's synthesis "
            f"bounds the latency. The whole {number(characters)}-character fragment, undelivered, takes "
            f"{ms(undelivered['32'])} in the 32-bit build and {ms(undelivered['64'])} in the 64-bit one; the abort "
            f"comes once {percent(heard)} of its audio has arrived, and the latency is {percent(latency['32'])} "
            f"(32-bit) and {percent(latency['64'])} (64-bit) of the whole fragment's time. It grows with the text "
            f"left in the fragment being spoken when the abort comes.")


def cold_note(p, m):
    launch, connect = median_of(p.series("64", "cold_launch_ms")), median_of(p.series("64", "cold_connect_ms"))
    bare = median_of(p.series("64", "bare_32_bit_process_ms"))
    return (f"Starting the 32-bit server until its mutex shows takes {ms(launch)}, where a 32-bit cmd.exe that exits "
            f"at once takes {ms(bare)} from start to exit (32-bit code runs {m['run_32']} here, under Wine), so the "
            f"server's own start adds {ms(launch - bare)} to that of a bare process. The client then connects "
            f"{ms(connect)} later, once the server has loaded the legacy engine and created its pipe; the client "
            f"polls for both instead of pausing.")


def stretch_note(p, m):
    added = paired_median_difference(p.series("32", "stretch_1_5_ms"), p.series("32", "stretch_1_0_ms"))
    sonic = {b: median_of(p.series(b, "compute_sonic_ms")) for b in ("32", "64")}
    baseline = median_of(p.series("32", "stretch_1_0_ms"))
    block_bytes = share(fact(p, "32", "long_direct_bytes"), fact(p, "32", "long_direct_blocks"))
    buffers = share(fact(p, "32", "stretch_1_0_bytes"), block_bytes)
    messaging = buffers * median_of(p.series("32", "message_round_trip_us")) / 1000
    return (f"Sonic's pitch-synchronous overlap-add at quality 1 on every sample. The stretch adds {ms(added)} "
            f"(median of the paired runs). Sonic alone over the same audio, the same code in both builds, takes "
            f"{ms(sonic['32'])} in the 32-bit build and {ms(sonic['64'])} in the 64-bit one, "
            f"{number(share(sonic['32'], sonic['64']), 2, 'x')} the 64-bit time (32-bit code runs {m['run_32']} "
            f"here); Sonic's own arithmetic is {percent(share(sonic['32'], added))} of what the stretch adds. The "
            f"baseline, {ms(baseline)}, plays about {number(buffers)} buffers; at the measured round trip their "
            f"messages would take about {ms(messaging)}, {percent(share(messaging, baseline))} of it.")


def sapi_note(p, m):
    noise = {b: spread(p.series(b, "long_direct_ms")) for b in ("32", "64")}
    blocks = {b: fact(p, b, "long_direct_blocks") for b in ("32", "64")}
    return ("Per block two GetActions calls and one Write to the site; per fragment its UTF-8 conversion and word "
            "events; nothing grows with the position in the text. The ratio is the median of the paired runs (each "
            "SAPI run next to its back-end run, in both orders in turn). The bare back-end's own runs spread over "
            f"{percent(noise['32'])} (32-bit) and {percent(noise['64'])} (64-bit) of their median here, fastest to "
            f"slowest. 64-bit: the pipe's messages mean {number(blocks['64'])} blocks against "
            f"{number(blocks['32'])} in-process.")


def say_note(p, m):
    wav = {b: fact(p, b, "say_long_wav_bytes", "orvane-say") / 1e6 for b in ("32", "64")}
    word = {b: p.series(b, "say_word_ms", "orvane-say") for b in ("32", "64")}
    ranges = "; ".join(f"{b}-bit {min(word[b]):.0f}-{max(word[b]):.0f} ms over {runs(len(word[b]))}"
                       for b in ("32", "64") if word[b]) or "not measured"
    bare = median_of(p.series("64", "bare_32_bit_process_ms"))
    return ("orvane-say as a whole (COM creation, token, WAV file), the run with one word subtracted: beyond the "
            f"engine's Speak it writes a WAV file of {number(wav['32'], 1, ' MB')} (32-bit) and "
            f"{number(wav['64'], 1, ' MB')} (64-bit) for the long text, as the audio comes. The one-word run, a whole "
            f"Wine process, takes {ranges} here (a bare 32-bit process {ms(bare)}); that spread shows in the "
            f"figure's.")


def memory_note(p, m):
    private = any(p.series("64", "server_private_bytes"))
    counter = "private bytes" if private else "working set, as Wine reported no private bytes for it in this run"
    return ("Handles as the server's handle count (from the system handle table where Wine answers none for "
            f"another process); memory as the server's {counter}.")


def notes_for(p, machine):
    """What dominates each figure's cost, in this run's own numbers and
    with this machine's facts."""
    m = platform_of(machine)
    return {
        "capture": capture_note(p, m),
        "pipe": pipe_note(p, m),
        "first_in_process": "Building the utterance and synthesising the first buffer; no setup is left warm.",
        "first_pipe": "One request message, the server's first buffer and one audio message back.",
        "streaming": streaming_note(p, m),
        "abort": abort_note(p, m),
        "cold": cold_note(p, m),
        "stretch": stretch_note(p, m),
        "sapi": sapi_note(p, m),
        "say": say_note(p, m),
        "memory": memory_note(p, m),
        "platform": (f"The 32-bit build against the 64-bit build over identical input; 32-bit code runs {m['run_32']} "
                     f"here, 64-bit code natively."),
    }


def machine_line(machine):
    m = platform_of(machine)
    load = ", ".join(f"{x:.2f}" for x in machine.get("load_average_at_start", []))
    return (f"Run of {machine.get('date', 'an unknown date')} on {machine.get('cpu')}, {m['cores']} cores, kernel "
            f"{machine.get('kernel')}, {machine.get('wine')}; 32-bit code runs {m['run_32']}, 64-bit code natively; "
            f"load average {load or 'unknown'} at the start."
            + (" Tiny inputs: this run only shows that every path works." if machine.get("tiny") else ""))


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

    def fact(self, build, name, default=None, program="orvane-bench"):
        document = self.documents.get(program + build)
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
                                       p.series("64", series), note("platform")))
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


def platform_figure(name, code32, code64, note):
    """Not one of our layers: how much slower this machine runs the same
    computation as 32-bit code than as 64-bit code."""
    s, b = summary(code32), summary(code64)
    figure = {"figure": name, "build": "32 vs 64", "unit": "ms", "subject": s, "baseline": b, "target": "report",
              "note": note}
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
    print(machine_line(machine))
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
    figures = make_figures(programs, notes_for(programs, machine))
    with open(out, "w") as f:
        json.dump({"machine": machine, "figures": figures, "samples": documents}, f, indent=2)
    with open(out.rsplit(".", 1)[0] + ".md", "w") as f:
        f.write(machine_line(machine) + "\n\n" + markdown_table(figures))
        seen = {}
        for x in figures:
            if x.get("note"):
                seen.setdefault(x["figure"], x["note"])
        f.write("\nWhat dominates the cost:\n\n" + "".join(f"- {k}: {v}\n" for k, v in seen.items()))
    print_table(figures, machine)


if __name__ == "__main__":
    main(sys.argv)
