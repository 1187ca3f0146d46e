#!/usr/bin/python3
"""A player on the session bus that shows the follower what real ones may send: a track
with no URL (as web browsers publish), a volume that is no number, thousands of Volume
changes a second over a long track list. It tells the test on standard output what it
was asked: "ready", "Next", "Playing", "Set Volume V", and "sent N" as a flood goes on."""
import argparse
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PATH = "/org/mpris/MediaPlayer2"
ROOT = "org.mpris.MediaPlayer2"
PLAYER = "org.mpris.MediaPlayer2.Player"
TRACKLIST = "org.mpris.MediaPlayer2.TrackList"
PROPERTIES = "org.freedesktop.DBus.Properties"


def say(line):
    print(line, flush=True)


class Player(dbus.service.Object):
    def __init__(self, bus, args):
        super().__init__(bus, PATH)
        self.args = args
        self.urls = args.url
        self.index = 0
        self.volume = float(args.volume)
        self.sent = 0
        self.ids = [dbus.ObjectPath("/org/brindle/track/%d" % i) for i in range(args.tracks)]

    def metadata(self):
        track = {"mpris:trackid": dbus.ObjectPath("/org/brindle/track/%d" % self.index)}
        if self.urls:
            track["xesam:url"] = self.urls[self.index % len(self.urls)]
        return dbus.Dictionary(track, signature="sv")

    def player_properties(self):
        return dbus.Dictionary({
            "PlaybackStatus": self.args.status,
            "Metadata": self.metadata(),
            "Volume": dbus.Double(self.volume),
            "CanGoNext": True,
            "CanPlay": True,
            "CanPause": True,
            "CanControl": True,
        }, signature="sv")

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == TRACKLIST and self.ids and name == "Tracks":
            return dbus.Array(self.ids, signature="o")
        properties = self.player_properties() if interface == PLAYER else {}
        if name not in properties:
            raise dbus.exceptions.DBusException("no property " + name,
                                                name="org.freedesktop.DBus.Error.InvalidArgs")
        return properties[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        if interface == PLAYER:
            return self.player_properties()
        return dbus.Dictionary({}, signature="sv")

    @dbus.service.method(PROPERTIES, in_signature="ssv")
    def Set(self, interface, name, value):
        say("Set %s %s" % (name, float(value)))

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    @dbus.service.method(TRACKLIST, in_signature="ao", out_signature="aa{sv}")
    def GetTracksMetadata(self, ids):
        return [dbus.Dictionary({"mpris:trackid": i,
                                 "xesam:url": "file:///nowhere/track%s.mp3" % i.split("/")[-1]},
                                signature="sv") for i in ids]

    @dbus.service.method(PLAYER)
    def Next(self):
        say("Next")
        self.index += 1
        self.PropertiesChanged(PLAYER, {"Metadata": self.metadata()}, [])

    @dbus.service.method(PLAYER)
    def Previous(self):
        say("Previous")

    @dbus.service.method(PLAYER)
    def Play(self):
        self.status("Playing")

    @dbus.service.method(PLAYER)
    def Pause(self):
        self.status("Paused")

    def status(self, status):
        say(status)
        self.args.status = status
        self.PropertiesChanged(PLAYER, {"PlaybackStatus": status}, [])

    def flood(self):
        # Volume changes, as fast as the bus takes them.
        for _ in range(50):
            self.sent += 1
            self.PropertiesChanged(PLAYER, {"Volume": dbus.Double(0.5 + (self.sent % 2) / 4)},
                                   [])
            if self.sent % 1000 == 0:
                say("sent %d" % self.sent)
        return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--url", action="append", default=[], help="its tracks' xesam:url")
    parser.add_argument("--status", default="Paused")
    parser.add_argument("--volume", default="1.0", help="may be nan, inf or below 0")
    parser.add_argument("--tracks", type=int, default=0, help="a TrackList of this many")
    parser.add_argument("--flood", action="store_true")
    args = parser.parse_args()

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    player = Player(bus, args)
    name = dbus.service.BusName(ROOT + "." + args.name, bus)
    if args.flood:
        GLib.idle_add(player.flood)
    say("ready")
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    sys.exit(main())
