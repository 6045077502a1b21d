// The translation unit that the suites' precompiled header is made for.
