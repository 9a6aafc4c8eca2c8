#!/usr/bin/python3
# stallfs.py MOUNTPOINT SECONDS [PROGRAM] [reads]: a read-only file system
# holding one Autorun.inf, on which the program under test (PROGRAM, default
# Mervane: the start of its process name) waits SECONDS for every open and
# read of a file, like a mapped drive whose server is gone; with "reads", for
# the reads of a file's data only. Runs in the foreground.
#
# Only those calls wait, and only the program's own, because of how Wine
# works: its server opens files for every program of the prefix in one
# thread, a service process answers every program's volume look-ups, and
# within a process one lock covers every folder listing together with the
# attribute and volume queries Wine makes for it. Held up there, a stall
# would hold up everything else too, where on Windows it holds up only the
# thread that made the call.
#
# Reads bypass the kernel's page cache (direct_io): the kernel empties a
# FUSE file's cache at each open and waits there for a read still under way
# on it, so Wine's server, opening the same file again for a second check,
# would wait out the stall too and every program of the prefix with it. That
# is a trait of this stand-in, not of a server that is gone.
import stat
import sys
import time
import errno

from fusepy import FUSE, FuseOSError, Operations, fuse_get_context

AUTORUN = b"[autorun]\r\nopen=stalled.exe\r\n"


class Stalled(Operations):
    def __init__(self, seconds, program, reads_only=False):
        self.seconds = seconds
        self.reads_only = reads_only
        self.program = program[:15]  # the kernel keeps 15 characters of a name
        self.started = time.time()

    def _stall(self):
        try:
            with open("/proc/%d/comm" % fuse_get_context()[2]) as comm:
                if comm.read().startswith(self.program):
                    time.sleep(self.seconds)
        except OSError:
            pass

    def getattr(self, path, fh=None):
        base = dict(st_uid=0, st_gid=0, st_atime=self.started, st_mtime=self.started, st_ctime=self.started)
        if path == "/":
            return dict(base, st_mode=stat.S_IFDIR | 0o755, st_nlink=2)
        if path.lower() == "/autorun.inf":
            return dict(base, st_mode=stat.S_IFREG | 0o644, st_nlink=1, st_size=len(AUTORUN))
        raise FuseOSError(errno.ENOENT)

    def readdir(self, path, fh):
        return [".", "..", "Autorun.inf"]

    def open(self, path, flags):
        if not self.reads_only:
            self._stall()
        return 0

    def read(self, path, size, offset, fh):
        self._stall()
        return AUTORUN[offset:offset + size]

    def statfs(self, path):
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=1024, f_bfree=1024, f_bavail=1024,
                    f_files=16, f_ffree=8, f_namemax=255)


if __name__ == "__main__":
    # Nothing cached, so that every call reaches the file system.
    FUSE(Stalled(float(sys.argv[2]), sys.argv[3] if len(sys.argv) > 3 else "Mervane",
                 len(sys.argv) > 4 and sys.argv[4] == "reads"), sys.argv[1], foreground=True, ro=True, nothreads=False,
         attr_timeout=0, entry_timeout=0, negative_timeout=0, direct_io=True)
