#!/usr/bin/python3
"""A player on the session bus that shows the follower what real ones may send: a track
with no URL (as web browsers publish), a volume that is no number, thousands of Volume
changes a second over a long track list, its playing state flipped as fast as the bus
carries it, and what real players do with their volume: they cap it at 1.0 (all we
tried), ignore a set above 1.0 and say nothing (Cantata), move it at a change of track
(Lollypop, Rhythmbox), signal one that a Get contradicts and keep it in steps (JuK), and
say they have no track list and never answer a Get of its Tracks (Lollypop), and a player
that holds its name but answers no Get or GetAll at all. It tells
the test on standard output what it was asked: "ready", "Next", "Previous", "Playing",
"Set Volume V", "Get Volume", "Get Tracks", "GetAll unanswered", "sent N" as a flood goes
on and "flipped N" when its flips are done."""
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
        self.flips = 0
        self.ids = [dbus.ObjectPath("/org/brindle/track/%d" % i) for i in range(args.tracks)]

    def metadata(self):
        track = {"mpris:trackid": dbus.ObjectPath("/org/brindle/track/%d" % self.index)}
        if self.urls:
            track["xesam:url"] = self.urls[self.index % len(self.urls)]
        return dbus.Dictionary(track, signature="sv")

    def has_track_list(self):
        return bool(self.ids) and not self.args.tracks_unanswered

    def keep_volume(self, volume):
        """What the player holds when set to `volume`; None when it ignores the set."""
        if volume > 1.0 and self.args.ignore_above:
            return None
        volume = min(volume, 1.0)
        if self.args.steps:
            # Down to its step, though a step it was given stays as it is.
            volume = int(volume * self.args.steps + 1e-6) / self.args.steps
        return volume

    def set_volume(self, volume):
        kept = self.keep_volume(volume)
        if kept is not None:
            self.volume = kept
            self.PropertiesChanged(PLAYER, {"Volume": dbus.Double(kept)}, [])

    def track_changed(self):
        self.PropertiesChanged(PLAYER, {"Metadata": self.metadata()}, [])
        if self.args.reset_volume is not None:
            self.volume = self.args.reset_volume
            self.PropertiesChanged(PLAYER, {"Volume": dbus.Double(self.volume)}, [])
        if self.args.false_volume is not None:
            self.PropertiesChanged(PLAYER, {"Volume": dbus.Double(self.args.false_volume)}, [])

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

    def root_properties(self):
        return dbus.Dictionary({"HasTrackList": self.has_track_list(),
                                "Identity": self.args.name}, signature="sv")

    def properties(self, interface):
        if interface == PLAYER:
            return self.player_properties()
        if interface == ROOT:
            return self.root_properties()
        return dbus.Dictionary({}, signature="sv")

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v",
                         async_callbacks=("reply", "fail"))
    def Get(self, interface, name, reply, fail):
        if self.args.never_answer:
            return say("Get %s unanswered" % name)
        if interface == TRACKLIST and name == "Tracks":
            say("Get Tracks")
            if self.args.tracks_unanswered:
                return  # never answered
            if self.ids:
                return reply(dbus.Array(self.ids, signature="o"))
        if name == "Volume":
            say("Get Volume")
        properties = self.properties(interface)
        if name not in properties:
            return fail(dbus.exceptions.DBusException(
                "no property " + name, name="org.freedesktop.DBus.Error.InvalidArgs"))
        reply(properties[name])

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}",
                         async_callbacks=("reply", "fail"))
    def GetAll(self, interface, reply, fail):
        if self.args.never_answer:
            return say("GetAll unanswered")
        reply(self.properties(interface))

    @dbus.service.method(PROPERTIES, in_signature="ssv")
    def Set(self, interface, name, value):
        say("Set %s %s" % (name, float(value)))
        if interface == PLAYER and name == "Volume":
            self.set_volume(float(value))

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
        self.track_changed()

    @dbus.service.method(PLAYER)
    def Previous(self):
        say("Previous")
        if self.index > 0:
            self.index -= 1
            self.track_changed()

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
        # Volume changes, as fast as the bus takes them (or --flood-pace a second).
        for _ in range(self.args.flood_pace // 100 if self.args.flood_pace else 50):
            self.sent += 1
            self.PropertiesChanged(PLAYER, {"Volume": dbus.Double(0.5 + (self.sent % 2) / 4)},
                                   [])
            if self.sent % 1000 == 0:
                say("sent %d" % self.sent)
        return True

    def flip(self):
        # PlaybackStatus changes, as fast as the bus takes them.
        for _ in range(50):
            if self.flips == self.args.flip:
                self.status(self.args.then)
                say("flipped %d" % self.flips)
                return False
            self.flips += 1
            self.args.status = "Paused" if self.args.status == "Playing" else "Playing"
            self.PropertiesChanged(PLAYER, {"PlaybackStatus": self.args.status}, [])
        return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--url", action="append", default=[], help="its tracks' xesam:url")
    parser.add_argument("--status", default="Paused")
    parser.add_argument("--volume", default="1.0", help="may be nan, inf or below 0")
    parser.add_argument("--tracks", type=int, default=0, help="a TrackList of this many")
    parser.add_argument("--flood", action="store_true")
    parser.add_argument("--flood-pace", type=int, default=0,
                        help="Volume changes a second in the flood (0: as fast as it can)")
    parser.add_argument("--ignore-above", action="store_true",
                        help="ignore a volume set above 1.0 (it caps at 1.0 otherwise)")
    parser.add_argument("--reset-volume", type=float, help="its volume at a change of track")
    parser.add_argument("--false-volume", type=float,
                        help="signalled at a change of track; a Get says the real one")
    parser.add_argument("--steps", type=int, default=0, help="volume kept in 1/STEPS, down")
    parser.add_argument("--tracks-unanswered", action="store_true",
                        help="say HasTrackList=false, and never answer a Get of Tracks")
    parser.add_argument("--never-answer", action="store_true",
                        help="hold the name, but answer no Get or GetAll")
    parser.add_argument("--flip", type=int, default=0, help="flip PlaybackStatus this often")
    parser.add_argument("--then", default="Paused", help="PlaybackStatus after the flips")
    args = parser.parse_args()

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    player = Player(bus, args)
    name = dbus.service.BusName(ROOT + "." + args.name, bus)
    if args.flood and args.flood_pace:
        GLib.timeout_add(10, player.flood)
    elif args.flood:
        GLib.idle_add(player.flood)
    if args.flip:
        GLib.idle_add(player.flip)
    say("ready")
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    sys.exit(main())
