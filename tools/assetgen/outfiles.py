"""Writing a generator's files into the build: one rule for every
generator that makes a fixed list of files from functions."""
import argparse
import os
import sys


def write(root, name, data):
    """Writes data to root/name, making folders; a file that already holds
    the same bytes is only touched, so its users do not rebuild."""
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                os.utime(path)
                return path
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)
    return path


def run(doc, program, files, errors=()):
    """The command line of a generator whose files are {name: function
    giving the bytes}: FOLDER writes them, --list prints their names. An
    exception of the given kinds is reported with the file's name and
    gives exit status 1."""
    parser = argparse.ArgumentParser(description=doc.splitlines()[0])
    parser.add_argument("folder", nargs="?")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        print("\n".join(sorted(files)))
        return 0
    if not args.folder:
        parser.error("the output folder is missing")
    for name, make in sorted(files.items()):
        try:
            data = make()
        except tuple(errors) as e:
            sys.stderr.write("%s: %s: %s\n" % (program, name, e))
            return 1
        write(args.folder, name, data)
    return 0
