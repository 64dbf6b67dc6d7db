-- wrk script of bench/measure_scores.py: the game's score requests, every 20th a new best
-- (a path of its own, never sent twice), the others resubmissions of unchanged scores.
-- Each wrk thread takes its own share of the new-best paths.

local counter = 0
function setup(thread)
  thread:set("id", counter)
  counter = counter + 1
end

local unchanged, bests = {}, {}
local n, b = 0, 0

function init(args)
  for line in io.lines(args[1]) do unchanged[#unchanged + 1] = line end
  local threads = tonumber(args[3])
  local k = 0
  for line in io.lines(args[2]) do
    if k % threads == id then bests[#bests + 1] = line end
    k = k + 1
  end
  n = id * 7919
end

function request()
  n = n + 1
  if n % 20 == 0 and b < #bests then
    b = b + 1
    return wrk.format("GET", bests[b])
  end
  return wrk.format("GET", unchanged[(n % #unchanged) + 1])
end
