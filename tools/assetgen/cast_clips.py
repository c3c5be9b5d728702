"""The cast's movements: poses made by functions of time, baked at 30 key
frames a second into one key track per joint, and the bone-animation file
that names stretches of the track.

Every clip starts and ends on its resting pose (sitting or standing), so
one clip can follow another without a jump: the game switches key frames,
it does not blend them. A clip is (name, rest, frames, motion); motion(t)
gives the change from rest at t seconds, and it is faded in and out over
the clip's first and last RAMP seconds: a joint motion names goes from its
rest angles to motion's and back.
"""
import math
from xml.sax.saxutils import quoteattr

from .setxml import vector

FPS = 30
STEP_MS = 33
RAMP = 0.3
# The game's bone animation treats key 13 as already shown when a clip
# starts, so no clip may start on it.
AVOID_FIRST = 13

STAND = {"L_UpperArm": (0.0, 0.0, -0.08), "R_UpperArm": (0.0, 0.0, 0.08)}
# On a tall stool: hips lower and back, thighs forward, shins down, hands
# in the lap.
SIT = {
    "shift": (0.0, -0.15, -0.06),
    "Spine": (0.06, 0.0, 0.0),
    "L_Thigh": (-1.5708, 0.0, 0.0), "R_Thigh": (-1.5708, 0.0, 0.0),
    "L_Shin": (1.5708, 0.0, 0.0), "R_Shin": (1.5708, 0.0, 0.0),
    "L_UpperArm": (-0.35, 0.0, -0.06), "R_UpperArm": (-0.35, 0.0, 0.06),
    "L_ForeArm": (-1.0, 0.0, 0.0), "R_ForeArm": (-1.0, 0.0, 0.0),
}


def wave(f=2.0):
    def motion(t):
        return {"R_UpperArm": (-0.15, 0.0, 2.45), "R_ForeArm": (0.0, 0.0, 0.4 * math.sin(2 * math.pi * f * t)),
                "R_Hand": (0.0, 0.0, 0.2), "Head": (0.0, 0.12, 0.05)}
    return motion


def write(upper, fore):
    """The right hand strokes over a desk in front, the left holds the
    paper; upper and fore: how far the upper arm and forearm swing forward."""
    def motion(t):
        return {"R_UpperArm": (upper, 0.1, 0.1),
                "R_ForeArm": (fore + 0.12 * math.sin(2 * math.pi * 3.0 * t), 0.15 * math.sin(2 * math.pi * 1.5 * t), 0.0),
                "R_Hand": (0.0, 0.0, 0.25 * math.sin(2 * math.pi * 3.0 * t)),
                "L_UpperArm": (upper + 0.2, 0.0, 0.0), "L_ForeArm": (fore, -0.3, 0.0),
                "Head": (0.35, 0.0, 0.0), "Chest": (0.08, 0.0, 0.0)}
    return motion


def clap(f=2.5):
    def motion(t):
        together = 0.5 + 0.5 * math.cos(2 * math.pi * f * t)
        inward = 0.1 + 0.3 * together
        return {"L_UpperArm": (-1.1, inward, 0.0), "R_UpperArm": (-1.1, -inward, 0.0),
                "L_ForeArm": (-0.9, 0.0, 0.0), "R_ForeArm": (-0.9, 0.0, 0.0),
                "Head": (-0.05, 0.0, 0.0)}
    return motion


def idle_look(period):
    """Breathing and a slow look around."""
    def motion(t):
        w = 2 * math.pi * t / period
        return {"Chest": (0.03 * math.sin(2 * w), 0.0, 0.0), "Head": (0.04 * math.sin(w), 0.3 * math.sin(w), 0.0)}
    return motion


def idle_shift(period):
    """Weight from one foot to the other, the head tilting."""
    def motion(t):
        w = 2 * math.pi * t / period
        return {"shift": (0.025 * math.sin(w), 0.0, 0.0), "Hips": (0.0, 0.0, 0.04 * math.sin(w)),
                "Spine": (0.0, 0.0, -0.05 * math.sin(w)), "Head": (0.0, 0.0, 0.1 * math.sin(w)),
                "Chest": (0.03 * math.sin(2 * w), 0.0, 0.0)}
    return motion


def idle_hands(period):
    """Hands together in front, a glance to the side and back."""
    def motion(t):
        w = 2 * math.pi * t / period
        return {"L_UpperArm": (-0.3, 0.25, 0.0), "R_UpperArm": (-0.3, -0.25, 0.0),
                "L_ForeArm": (-1.1, 0.0, 0.0), "R_ForeArm": (-1.1, 0.0, 0.0),
                "Head": (0.05, 0.35 * math.sin(w), 0.0), "Chest": (0.03 * math.sin(2 * w), 0.0, 0.0)}
    return motion


def idle_fidget(period):
    """Sitting: a lean forward and back, a scratch of the head."""
    def motion(t):
        w = 2 * math.pi * t / period
        lift = max(0.0, math.sin(w))
        rest_upper, rest_fore = SIT["L_UpperArm"], SIT["L_ForeArm"]
        return {"Spine": (SIT["Spine"][0] + 0.06 * (1 - math.cos(w)) / 2, 0.0, 0.0),
                "L_UpperArm": (rest_upper[0] * (1 - lift), 0.0, rest_upper[2] - 2.2 * lift),
                "L_ForeArm": (rest_fore[0] * (1 - lift), 0.0, -1.6 * lift),
                "Head": (0.0, 0.0, 0.12 * lift)}
    return motion


def talk(hand, f):
    """Nodding while talking, one or both hands making a point."""
    def motion(t):
        beat = math.sin(2 * math.pi * f * t)
        out = {"Head": (0.08 * math.sin(2 * math.pi * 2.0 * t), 0.15 * math.sin(2 * math.pi * 0.5 * t), 0.0),
               "Chest": (0.03 * beat, 0.05 * math.sin(2 * math.pi * 0.5 * t), 0.0)}
        for side in (("L", "R") if hand == "both" else (hand,)):
            s = -1.0 if side == "L" else 1.0
            out[side + "_UpperArm"] = (-0.45, 0.0, s * (0.25 + 0.1 * beat))
            out[side + "_ForeArm"] = (-1.2 + 0.25 * beat, s * 0.3, 0.0)
            out[side + "_Hand"] = (0.0, 0.0, s * 0.3 * beat)
        return out
    return motion


# name, rest pose, key frames, motion (None: the rest pose held).
CLASSMATE_CLIPS = (
    ("Sit", SIT, 1, None),
    ("Stand", STAND, 1, None),
    ("SitWave", SIT, 45, wave()),
    ("SitWrite", SIT, 60, write(-1.2, -0.5)),
    ("StandWrite", STAND, 60, write(-0.6, -0.9)),
    ("SitClap", SIT, 45, clap()),
    ("StandClap", STAND, 45, clap()),
    ("SitIdle1", SIT, 60, idle_look(2.0)),
    ("SitIdle2", SIT, 60, idle_fidget(2.0)),
    ("StandIdle1", STAND, 60, idle_shift(2.0)),
    ("StandIdle2", STAND, 60, idle_hands(2.0)),
)
HOST_CLIPS = (
    ("Stand", STAND, 1, None),
    ("Idle1", STAND, 60, idle_shift(2.0)),
    ("Idle2", STAND, 60, idle_hands(2.0)),
    ("Idle3", STAND, 60, idle_look(2.0)),
    ("Talk1", STAND, 75, talk("R", 1.2)),
    ("Talk2", STAND, 75, talk("both", 1.0)),
    ("Talk3", STAND, 75, talk("L", 1.4)),
    ("Clap", STAND, 45, clap()),
)


def _envelope(t, length):
    k = min(t / RAMP, (length - t) / RAMP, 1.0)
    k = max(0.0, k)
    return k * k * (3 - 2 * k)


def pose_at(rest, motion, t, length):
    """rest moved toward motion(t) as far as the envelope says."""
    pose = dict(rest)
    if motion is None:
        return pose
    k = _envelope(t, length)
    for joint, target in motion(t).items():
        base = pose.get(joint, (0.0, 0.0, 0.0))
        pose[joint] = tuple(b + k * (c - b) for b, c in zip(base, target))
    return pose


def layout(clips):
    """[(name, first key, key count)] laid end to end, the first clip at
    key 0; a clip that would start on AVOID_FIRST gets a spare key first."""
    out = []
    at = 0
    for name, _, frames, _ in clips:
        if at == AVOID_FIRST:
            at += 1
        out.append((name, at, frames))
        at += frames
    return out


def poses(clips):
    """One pose a key for the whole track (a skipped key repeats the one
    before it)."""
    track = []
    for (name, rest, frames, motion), (_, first, _) in zip(clips, layout(clips)):
        while len(track) < first:
            track.append(track[-1])
        length = (frames - 1) / float(FPS)
        for i in range(frames):
            track.append(pose_at(rest, motion, i / float(FPS), length))
    return track


def anim_xml(entries):
    """entries: (name, first key, key count, position, yaw). One step a
    key, STEP_MS each; the placement turns the model by yaw and puts its
    feet at position."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "<BoneAnim>"]
    for name, first, count, pos, yaw in entries:
        if first == AVOID_FIRST or count < 1:
            raise ValueError("clip %s would start on key %d with %d keys" % (name, first, count))
        out.append("  <anim name=%s>" % quoteattr(name))
        for k in range(first, first + count):
            out.append('    <frame frameNum="%d" transitionTime="%d"/>' % (k, STEP_MS))
        out.append("    <pos>%s</pos>" % vector(pos))
        out.append("    <rot>%s</rot>" % vector((0.0, yaw, 0.0)))
        out.append("    <scale>%s</scale>" % vector((1.0, 1.0, 1.0)))
        out.append("  </anim>")
    out += ["</BoneAnim>", ""]
    return "\n".join(out)


def classmate_entries(seat):
    pos, yaw = seat
    return [(name, first, count, pos, yaw) for name, first, count in layout(CLASSMATE_CLIPS)]


def host_entries(marks):
    out = []
    for k, (pos, yaw) in enumerate(marks):
        out += [("Pos%d_%s" % (k + 1, name), first, count, pos, yaw) for name, first, count in layout(HOST_CLIPS)]
    return out

