#!/usr/bin/env python3
"""shownbranches.py [--list] [REPOSITORY]: counts per file and in all (--list: shows too) the lines of the shown
layer, src/traffic/shown*.cpp, that single out a phase, a motion class or a situation: those on which a branch
condition that names a word of WORDS starts, comments, strings and characters dropped. A branch condition is
what `if` (so `else if`) or `while` tests, over as many lines as it takes, or what `?:` tests: its line back
from the `?` to the nearest `=` `,` `;` `?` `:` `{` `}` or unclosed `(`. No branches: std::max/min/clamp, `for`,
`&&`/`||` elsewhere. A condition names a word where one of its identifiers, less a gf_/lf_ prefix, matches one
whole, ignoring case (`ground` only as a member: a local of that name is a height). A bool function here without
branches of its own whose body names a word is a word too: a test moved into a predicate counts as before."""
import glob, linecache, os, re, sys

WORDS = (r"(on|in|is)ground|(\.|->)ground|(is)?airborne|flying|(in|is)air"  # on the ground or in the air
         r"|\w*rotorcraft\w*|hover\w*|helicopter\w*|\w*class\w*|category"  # motion classes
         r"|takeoff\w*|landing\w*|liftoff\w*|touchdown\w*|flare\w*|phase\w*|pushback\w*|taxi\w*|runway\w*"  # phases
         r"|stand\w*|settl\w*|stop\w*|hold\w*|lag\w*|\w*behind\w*")  # standing, stopping, holding, behind its path
NEST = r"\((?:[^()]|\((?:[^()]|\((?:[^()]|\([^()]*\))*\))*\))*\)"  # parentheses, four deep
IF, TERNARY = re.compile(rf"\b(?:if|while)\s*({NEST})"), re.compile(rf"(?:[^=,;?:{{}}()\n]|[=!<>]=|::|{NEST})*\?")
STRIP = re.compile(r'//[^\n]*|/\*.*?\*/|"(\\.|[^"\\\n])*"|\'(\\.|[^\'\\\n])*\'', re.S)
FUNCTION = re.compile(r"^(?:static |inline )?bool (\w+)\([^)]*\)(?: \{([^\n]*)\}$|\n\{(.*?)^\})", re.M | re.S)

def names(text, words):
    return any(re.fullmatch(rf"(?:\.|->)?(?:[gl]f_)?(?:{'|'.join(words)})", i, re.I)
               for i in re.findall(r"(?:\.|->)?[A-Za-z_]\w*", text))

def conditions(code):  # (offset, text) of each branch condition
    yield from ((m.start(), m[1]) for m in IF.finditer(code))
    yield from ((m.end() - len(m[0].lstrip()), m[0]) for m in TERNARY.finditer(code))

root, words = next((a for a in sys.argv[1:] if a != "--list"), "."), {WORDS}
files = {f: STRIP.sub(lambda m: re.sub(r"[^\n]", " ", m[0]), open(f).read())
         for f in sorted(glob.glob(os.path.join(root, "src/traffic/shown*.cpp")))}
for _ in range(3):  # the layer's own predicates, and those that use them
    words |= {re.sub(r"^[gl]f_", "", m[1]) for code in files.values() for m in FUNCTION.finditer(code)
              if not any(conditions(m[2] or m[3])) and names(m[2] or m[3], words)}
lines = {f: sorted({code.count("\n", 0, at) + 1 for at, text in conditions(code) if names(text, words)})
         for f, code in files.items()}
for f, found in lines.items():
    print(f"{len(found):4d}  {os.path.relpath(f, root)}")
    print("".join(f"        {n:4d}: {linecache.getline(f, n).strip()}\n" for n in found if "--list" in sys.argv), end="")
print(f"{sum(map(len, lines.values())):4d}  in all")
