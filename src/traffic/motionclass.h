#pragma once
// The motion class an aircraft moves by, in its path, its events and its shown motion alike.
#include "traffic/motion.h"

// The motion class of an aircraft: its size class where the reference data list its type, else
// what the feed shows of it: its emitter category, raised where it flies faster or higher than that
// class does. It never falls.
std::uint32_t gf_motionClass(const Act& act);
// Makes a new aircraft move as its motion class, in its path, its events and its shown motion alike;
// for an unlisted type, again each time its reports show it faster or higher.
void gf_startMotionClass(Act& act);
void gf_updateMotionClass(Act& act);
// Sets the shown motion's class and what it keeps of it.
void gf_setMotionClass(ShownMotion& s, std::uint32_t motionClass);
// Whether the reference data list its type (or give it a size class).
bool gf_typeListed(const Act& act);
