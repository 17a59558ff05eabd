"""The tally of a test script's checks: a check that fails is printed (the first 40 of them, so
that one broken step does not bury the others) and counted; the script's exit status comes from
the counts."""

checks = {"passed": 0, "failed": 0}


def check(condition, message):
    if condition:
        checks["passed"] += 1
    else:
        checks["failed"] += 1
        if checks["failed"] <= 40:
            print("FAIL:", message)
    return condition
