"""Python's mailbox.mbox as the reference for splitting mbox archives."""
import mailbox


def reference(path):
    """(separator, start, end, bytes) of each message, as mailbox.mbox gives them."""
    box = mailbox.mbox(path, create=False)
    try:
        found = []
        for key in box.keys():
            separator, stop = box._toc[key]
            body = box.get_bytes(key)
            found.append((separator, stop - len(body), stop, body))
        return found
    finally:
        box.close()
