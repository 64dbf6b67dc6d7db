# The name entry and the credits of the real binary: a name spelt and saved into the state
# file, the credits opened and left.
hexwend_game_e2e(name_credits 180)
