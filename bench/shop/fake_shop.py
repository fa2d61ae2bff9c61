#!/usr/bin/env python3
"""The fake shop of tests/fixtures/fake_shop.py, with Nagle's algorithm off on its connections.

The shop writes each answer in two parts (headers with half the body, then the rest). With
Nagle's algorithm on, the second part waits for the client's delayed acknowledgement of the
first, about 40 ms on Linux, for a good share of the answers; timings would then measure
that wait rather than the client. Same arguments and behaviour as the original otherwise.
"""

import importlib.util
import os
import socket
import sys

ORIGINAL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "fixtures",
                        "fake_shop.py")


def load_original():
    found = importlib.util.spec_from_file_location("fixtures_fake_shop", ORIGINAL)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def main():
    shop = load_original()
    original_setup = shop.Handler.setup

    def setup(handler):
        original_setup(handler)
        handler.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    shop.Handler.setup = setup
    sys.argv[0] = ORIGINAL
    shop.main()


if __name__ == "__main__":
    main()
