"""A time server on the NTP port of 127.0.0.1 that answers 30 minutes
ahead, so that Wine refuses the set as Windows refuses a program without
the right to change the system time.

    python3 ntp_ahead.py WORK [PROGRAM RELAY_PORT]

With PROGRAM (an executable's name) only the requests of that Windows
program get the answer ahead; every other request is passed on to the
server on 127.0.0.1:RELAY_PORT (chronyd) and its answer passed back as it
came. Which program asked is read from the owner of the asking socket.
Writes into WORK: "ahead.ready" once it listens, "ahead.count" the number
of requests, "ahead.log" a line per request ("ahead" or "relayed", and the
asking program's command line)."""
import os
import socket
import struct
import sys
import time

AHEAD_SECONDS = 1800
NTP_EPOCH = 2208988800


def asker(port):
    """The command line of the Windows program whose UDP socket has this
    local port; "?" when none is found."""
    inode = None
    with open("/proc/net/udp") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            if int(fields[1].split(":")[1], 16) == port:
                inode = fields[9]
    if inode is None:
        return "?"
    target = "socket:[%s]" % inode
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            fds = os.listdir("/proc/%s/fd" % pid)
            if not any(os.readlink("/proc/%s/fd/%s" % (pid, fd)) == target for fd in fds):
                continue
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
        except OSError:
            continue
        # The wineserver holds every socket too.
        if ".exe" in cmd.lower():
            return cmd
    return "?"


def ahead_reply(request):
    t = time.time() + AHEAD_SECONDS + NTP_EPOCH
    sec = int(t)
    stamp = struct.pack("!II", sec & 0xFFFFFFFF, int((t - sec) * 4294967296) & 0xFFFFFFFF)
    # leap 0, version 3, server; stratum 2; poll 6; precision -20
    head = struct.pack("!BBbbII4s", 0x1C, 2, 6, -20, 0, 0, b"LOCL")
    # The request's transmit field comes back as the originate field.
    return head + stamp + request[40:48] + stamp + stamp


def main():
    work = sys.argv[1]
    program = sys.argv[2].lower() if len(sys.argv) > 3 else None
    relay_port = int(sys.argv[3]) if len(sys.argv) > 3 else None
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        s.bind(("127.0.0.1", 123))
    except OSError:
        sys.exit("the NTP port of 127.0.0.1 is taken; this test needs it")
    up = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    up.settimeout(2)
    open(os.path.join(work, "ahead.ready"), "w").close()
    count = 0
    while True:
        data, peer = s.recvfrom(1024)
        count += 1
        with open(os.path.join(work, "ahead.count.tmp"), "w") as f:
            f.write("%d\n" % count)
        os.replace(os.path.join(work, "ahead.count.tmp"), os.path.join(work, "ahead.count"))
        who = asker(peer[1]) if program else "?"
        ahead = not program or who.lower().endswith(program)
        with open(os.path.join(work, "ahead.log"), "a") as f:
            f.write("%s %s\n" % ("ahead" if ahead else "relayed", who))
        if len(data) < 48:
            continue
        if ahead:
            s.sendto(ahead_reply(data), peer)
            continue
        up.sendto(data, ("127.0.0.1", relay_port))
        try:
            s.sendto(up.recv(1024), peer)
        except socket.timeout:
            pass


main()
