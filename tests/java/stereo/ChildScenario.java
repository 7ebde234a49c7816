package stereo;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CountDownLatch;

/**
 * Runs in a child JVM for the tests that need more than one plain call (see
 * {@link ChildGrab}); writes what happened, one line per call, to OUTFILE and
 * prints nothing, so stdout is the library's alone.
 *
 * <pre>
 * ChildScenario OUTFILE threads THREADS CALLS   many threads calling at once
 * ChildScenario OUTFILE full-heap               a call with the Java heap full, then one with room
 * </pre>
 */
public final class ChildScenario {
    /** The heap's filling, static so that nothing can take it for dead before the call. */
    private static Object[] chain;

    public static void main(String[] args) throws Exception {
        Path out = Path.of(args[0]);
        switch (args[1]) {
            case "threads" -> threads(out, Integer.parseInt(args[2]), Integer.parseInt(args[3]));
            case "full-heap" -> fullHeap(out);
            default -> throw new IllegalArgumentException(args[1]);
        }
    }

    private static void threads(Path out, int threads, int calls) throws Exception {
        CountDownLatch start = new CountDownLatch(1);
        List<Thread> started = new ArrayList<>();
        for (int t = 0; t < threads; t++) {
            int mode = t % 2;
            Thread thread = new Thread(() -> {
                try {
                    start.await();
                    for (int call = 0; call < calls; call++) {
                        new brimlet().cppGrabImage(null, false, mode);
                    }
                } catch (InterruptedException e) {
                    Thread.currentThread().interrupt();
                }
            });
            thread.start();
            started.add(thread);
        }
        start.countDown();
        for (Thread thread : started) {
            thread.join();
        }
        Files.writeString(out, "all returned\n");
    }

    private static void fullHeap(Path out) throws IOException {
        brimlet camera = new brimlet();
        // Filled down to a few bytes: chunks of falling size, each holding the
        // chain so far, so no growing list needs room of its own.
        for (int size = 1 << 16; size >= 16; size /= 4) {
            try {
                while (true) {
                    chain = new Object[] {chain, new int[size]};
                }
            } catch (OutOfMemoryError full) {
                // no room left for this size
            }
        }
        int[] planes = null;
        boolean outOfMemory = false;
        try {
            planes = camera.cppGrabImage(null, false, 1);
        } catch (OutOfMemoryError expected) {
            outOfMemory = true;
        }
        chain = null;
        String first = outOfMemory ? "OutOfMemoryError" : "returned " + planes.length;
        Files.write(out, List.of(first, "returned " + camera.cppGrabImage(null, false, 1).length));
    }

    private ChildScenario() {}
}
