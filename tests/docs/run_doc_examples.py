#!/usr/bin/env python3
"""Runs the examples of Markdown files against the simulated controller.

    run_doc_examples.py PATH/TO/corvane FILE.md...

Per file, in one fresh temporary folder (no state file yet) with the given
corvane first on PATH, in document order:
  ```sh blocks run with bash -e and must succeed;
  ```console blocks: each "$ " line is a command (a trailing backslash
  continues it); the lines after it, up to the next "$ " line or the end of
  the block, are its exact output (standard output and error together); a
  last output line "[exit N]" gives a non-zero exit status.
A block directly after the line <!-- not run: REASON --> is not run.
Exit status 1 when an example differs, with what was expected and seen.
"""
import os
import re
import subprocess
import sys
import tempfile

NOT_RUN = re.compile(r"^<!--\s*not run:.*-->\s*$")
EXIT = re.compile(r"^\[exit (\d+)\]$")


def blocks(path):
    """(language, first line number, lines) of each block to run."""
    lines = open(path, encoding="utf-8").read().split("\n")
    i = 0
    while i < len(lines):
        fence = re.match(r"^```(\w*)\s*$", lines[i])
        if not fence:
            i += 1
            continue
        language, start = fence.group(1), i
        end = start + 1
        while end < len(lines) and lines[end].rstrip() != "```":
            end += 1
        skipped = start > 0 and NOT_RUN.match(lines[start - 1].strip())
        if language in ("sh", "console") and not skipped:
            yield language, start + 1, lines[start + 1:end]
        i = end + 1


def console_commands(lines):
    """(command, expected output, expected status) of a console block."""
    commands = []
    for line in lines:
        if line.startswith("$ "):
            commands.append([line[2:], [], False])
        elif commands and commands[-1][2]:
            commands[-1][0] += "\n" + line
        elif commands:
            commands[-1][1].append(line)
        else:
            raise ValueError("console block must start with a '$ ' line")
        commands[-1][2] = commands[-1][0].endswith("\\") and not commands[-1][1]
    for command, output, _ in commands:
        status = 0
        if output and EXIT.match(output[-1]):
            status = int(EXIT.match(output[-1]).group(1))
            output = output[:-1]
        yield command, "".join(line + "\n" for line in output), status


def run_file(corvane, path):
    failures = 0
    with tempfile.TemporaryDirectory(prefix="corvane-doc.") as folder:
        bin_dir = os.path.join(folder, ".bin")
        os.mkdir(bin_dir)
        os.symlink(os.path.abspath(corvane), os.path.join(bin_dir, "corvane"))
        env = {k: v for k, v in os.environ.items()
               if not k.startswith("CORVANE_")}
        env["PATH"] = bin_dir + os.pathsep + env.get("PATH", "")
        for language, line, lines in blocks(path):
            where = "%s:%d" % (path, line)
            if language == "sh":
                done = subprocess.run(["bash", "-e", "-c", "\n".join(lines)],
                                      cwd=folder, env=env,
                                      stdin=subprocess.DEVNULL,
                                      stdout=subprocess.PIPE,
                                      stderr=subprocess.STDOUT, text=True)
                if done.returncode != 0:
                    failures += 1
                    print("%s: sh block exited %d:\n%s"
                          % (where, done.returncode, done.stdout))
                continue
            for command, expected, status in console_commands(lines):
                done = subprocess.run(["bash", "-c", command], cwd=folder,
                                      env=env, stdin=subprocess.DEVNULL,
                                      stdout=subprocess.PIPE,
                                      stderr=subprocess.STDOUT, text=True)
                if done.stdout != expected or done.returncode != status:
                    failures += 1
                    print("%s: $ %s\n--- expected (exit %d)\n%s--- seen "
                          "(exit %d)\n%s" % (where, command, status, expected,
                                             done.returncode, done.stdout))
    return failures


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    failures = sum(run_file(sys.argv[1], path) for path in sys.argv[2:])
    print("doc examples: %s" % ("all as shown" if not failures
                                else "%d differ" % failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
